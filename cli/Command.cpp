#include "cli/Command.h"

#include <exception>

namespace plok::cli {

int RunOnFile(const ParsedArgs& args, Reporter& reporter, const FileJob& job, const Prepare& prepare)
{
    const std::filesystem::path outFolder = args.Option("out", ".");
    std::error_code ec;
    if (!std::filesystem::is_directory(outFolder, ec)) {
        reporter.Failed(outFolder.string(), "出力フォルダがありません。");
        return kExitFailed;
    }
    if (prepare && !prepare(reporter))
        return kExitFailed;
    for (const std::string& file : args.files) {
        try {
            const RunResult r = job(file, outFolder);
            if (r.Done())
                reporter.Produced(r.fileName);
            else
                reporter.Failed(file, ToUtf8(r.message));
        } catch (const std::exception& e) {
            reporter.Failed(file, e.what());
        }
    }
    return reporter.failed() ? kExitFailed : kExitOk;
}

} // namespace plok::cli
