#include "testsupport/Pictures.h"

#include "claims/Anonymize.h"
#include "claims/MainPresenter.h"
#include "claims/MsgPresenter.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/Settings.h"

#include <fstream>
#include <stdexcept>

namespace plok::test {

namespace {

void WriteClaimsFile(const std::filesystem::path& path, const std::vector<std::u16string>& lines)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::u16string& line : lines)
        out << cp932::Encode(line) << "\r\n";
}

/// `text` with every `from` replaced by `to`.
std::u16string Replaced(std::u16string text, const std::u16string& from, std::u16string_view to)
{
    for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

[[noreturn]] void Unexpected(const std::string& what)
{
    throw std::runtime_error(what);
}

} // namespace

RunPictures PicturesOfRuns(const Environment& env, const ShownPlaces& shown)
{
    const std::filesystem::path social = env.programFolder / "social.UKE";
    const std::filesystem::path national = env.programFolder / "national.UKE";
    WriteClaimsFile(social,
        {u"IR,1,13,1,1310001,,さくら内科クリニック,50605,00,03-1111-2222",
            u"RE,1,1112,50605,山田　太郎,1,3450101,,,,,,,1234-01", u"HO,06139999,あい,４５６７８,1,100",
            u"SY,0000999,20240601,,01,,,山田　太郎さん申出"});
    WriteClaimsFile(national,
        {u"IR,2,13,1,1310001,,さくら内科クリニック,50605,00,03-1111-2222",
            u"RE,1,1112,50605,佐藤　花子,2,3500202,,,,,,,5678-02", u"HO,138057,,１２３４,1,100"});

    SilentPrompts month;
    NoWindows monthWindows;
    {
        claims::MainPresenter main(env, month, monthWindows, monthWindows);
        main.Edit1Change(PathText(social));
        main.Edit2Change(PathText(national));
        main.Button1Click();
    }
    if (month.warnings.size() != 1 || monthWindows.results.size() != 1)
        Unexpected("the month's anonymisation gave " + std::to_string(month.warnings.size()) + " warnings and "
            + std::to_string(monthWindows.results.size())
            + " result dialogs, not the audit's one and the national file's");

    SilentPrompts mainWindow;
    NoWindows none;
    {
        Environment withManual = env;
        withManual.manual = env.programFolder / "index.html";
        WriteClaimsFile(withManual.manual, {u"<!DOCTYPE html>"});
        claims::MainPresenter main(withManual, mainWindow, none, none);
        main.Edit1Change(PathText(social));
        main.Edit2Change(shown.mistypedNational);
        main.ComboBox1Change(1);
        main.Edit4Change(u"6");
        main.Edit5Change(u"1");
        main.Button2Click();
        // A usable range, and no social file: the national file's warning alone names a file that is missing.
        main.Edit1Change(u"");
        main.Edit4Change(u"1");
        main.Edit5Change(u"6");
        main.Button2Click();
        mainWindow.opensDocuments = false;
        main.Button5Click();
        if (mainWindow.warnings.size() != 4)
            Unexpected("the main window gave " + std::to_string(mainWindow.warnings.size())
                + " warnings, not the range's, the two files' and the manual's");
        mainWindow.warnings[3] = Replaced(mainWindow.warnings[3], PathText(withManual.manual), shown.manual);
    }

    // The result dialog's button when the save folder is missing.
    // Removed first: the overwriting copy of mingw-w64's library fails on a file that exists.
    const std::filesystem::path copy = env.programFolder / "50605_2.UKE";
    std::filesystem::remove(copy);
    std::filesystem::copy_file(national, copy);
    settings::Write(env.settingsFile, settings::kSaveFolder, shown.saveFolder);
    SilentPrompts dialog;
    {
        claims::MsgPresenter msg(env, dialog, none);
        msg.InitSet();
        msg.DspSet({claims::kAnonymizedText, u"", u"50605_2.UKE"});
        msg.Button1Click();
    }
    settings::Write(env.settingsFile, settings::kSaveFolder, u"");
    if (dialog.questions.size() != 1)
        Unexpected("the result dialog asked no question about the missing save folder");

    return {{
                {"box-missing", BoxKind::Warning, mainWindow.warnings[2]},
                {"box-range-order", BoxKind::Warning, mainWindow.warnings[0]},
                {"box-manual", BoxKind::Warning, mainWindow.warnings[3]},
                {"box-information", BoxKind::Information, u"社保のレセ電データファイルを選択します"},
                {"box-confirm", BoxKind::Confirm, u"新しいレセ電ファイルを選択しますか？"},
                {"box-error", BoxKind::Error, u"リストのインデックスが範囲を超えています (13)"},
                {"box-audit", BoxKind::Warning, month.warnings.front()},
                {"box-undelivered", BoxKind::WarningConfirm,
                    Replaced(dialog.questions.front(), PathText(env.programFolder), shown.workFolder)},
            },
        monthWindows.results.front()};
}

} // namespace plok::test
