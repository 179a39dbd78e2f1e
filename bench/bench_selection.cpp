// Choosing a month's claims file in the main window: the time from the click to the checked path in its field, and
// the program's peak memory. Only the first line should be read, whatever the size of the file.
#include "app/TfrmMain.h"
#include "testsupport/ClaimGenerator.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>

namespace {

/// Answers the file dialogs with one file, then cancels.
class ChoosingPrompts : public plok::Prompts
{
public:
    explicit ChoosingPrompts(std::u16string file)
        : m_file(std::move(file))
    { }
    void Warning(std::u16string_view) override { std::fputs("unexpected warning\n", stderr); }
    void Information(std::u16string_view) override { }
    bool Confirm(std::u16string_view) override { return false; }
    bool WarningConfirm(std::u16string_view) override { return false; }
    void Error(std::u16string_view) override { std::fputs("unexpected error\n", stderr); }
    std::optional<std::u16string> OpenFile(std::u16string_view, std::span<const plok::FileType>) override
    {
        if (std::exchange(m_answered, true))
            return std::nullopt;
        return m_file;
    }
    std::optional<std::u16string> BrowseFolder(std::u16string_view, std::u16string_view) override
    {
        return std::nullopt;
    }
    bool OpenDocument(std::u16string_view) override { return true; }

private:
    std::u16string m_file;
    bool m_answered = false;
};

long PeakKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int sizeMb = argc > 1 ? std::atoi(argv[1]) : 200;

    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/RECEIPTC.UKE";
    {
        std::ofstream out(file, std::ios::binary);
        plok::testsupport::ClaimOptions options;
        options.minBytes = std::uint64_t(sizeMb) << 20;
        plok::testsupport::GenerateClaims(options,
            [&](std::string_view chunk) { out.write(chunk.data(), static_cast<std::streamsize>(chunk.size())); });
    }
    const long before = PeakKiB();

    const std::filesystem::path root = dir.path().toStdString();
    const plok::Environment env {root, root / "user.ini", root / "Downloads"};
    ChoosingPrompts prompts(std::filesystem::path(file).u16string());
    plok::app::TfrmMain window(env, prompts);
    window.show();
    auto* choose = plok::gui::FindControl<QPushButton>(&window, plok::form::TfrmMain::Button3);
    const auto start = std::chrono::steady_clock::now();
    choose->click();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool taken = !plok::gui::FindControl<QLineEdit>(&window, plok::form::TfrmMain::Edit1)->text().isEmpty();

    std::printf("file: %d MiB, chosen in %.4f s, %s\n", sizeMb, seconds, taken ? "accepted" : "NOT accepted");
    std::printf("peak memory: %.1f MiB (%.1f MiB before the window)\n", PeakKiB() / 1024.0, before / 1024.0);
    return taken ? 0 : 1;
}
