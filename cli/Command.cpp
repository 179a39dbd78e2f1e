#include "cli/Command.h"

#include "core/FileNames.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <map>

namespace plok::cli {

void AddFileArgs(CLI::App& app, FileArgs& args, int minFiles, int maxFiles)
{
    app.add_option("-o,--out", args.out)
        ->type_name("DIR")
        ->description("出力先フォルダ（既定: カレントフォルダ） / output folder (default: current folder)");
    app.add_option("FILE", args.files)->required()->expected(minFiles, maxFiles);
}

int RunOnFile(const FileArgs& args, Reporter& reporter, const FileJob& job, const Prepare& prepare)
{
    std::error_code ec;
    const std::filesystem::path out = PathFromUtf8(args.out);
    if (!std::filesystem::is_directory(out, ec)) {
        reporter.Failed(args.out, "出力フォルダがありません。");
        return kExitFailed;
    }
    if (prepare && !prepare(reporter))
        return kExitFailed;
    // The outputs of this call so far, and the file each came from.
    std::map<std::u16string, std::string> produced;
    const OutputTarget target(out, [&](AtomicFile&, const std::u16string& name) -> std::optional<std::u16string> {
        const auto earlier = produced.find(name);
        if (earlier == produced.end())
            return std::nullopt;
        return u"出力ファイル「" + name + u"」は先に処理した「" + FromUtf8(earlier->second)
            + u"」から作成したファイルと同じ名前のため、上書きせずに中止しました。";
    });
    for (const std::string& file : args.files) {
        try {
            const RunResult r = job(PathFromUtf8(file), target);
            if (r.Done()) {
                produced.emplace(r.fileName, file);
                reporter.Produced(r.fileName);
            } else {
                reporter.Failed(file, ToUtf8(r.message));
            }
        } catch (const std::exception& e) {
            reporter.Failed(file, e.what());
        }
    }
    return reporter.failed() ? kExitFailed : kExitOk;
}

} // namespace plok::cli
