#pragma once

#include <string>

namespace plok {

/// What the result dialog of a finished job receives: the completion message and the bare names of the (up to two)
/// files the job wrote into the work folder; an empty name stands for no file.
struct ResultTriple
{
    std::u16string gstMsg;
    std::u16string gstFile1 = {};
    std::u16string gstFile2 = {};

    bool operator==(const ResultTriple&) const = default;
};

/// The child windows a presenter opens.
enum class WindowKind
{
    SavePath, // 保存先設定
    Option, // オプション
    Convert, // ORVAコンバーター
    Replace, // リプレース
};

/// Opens the child windows of a presenter's window: the presenter decides which, the front end creates it. Each call
/// creates a fresh window over the presenter's own, shows it modally and returns once it has closed.
class WindowOpener
{
public:
    virtual ~WindowOpener() = default;

    virtual void Open(WindowKind window) = 0;
    /// The result dialog, handed `result`.
    virtual void OpenResult(const ResultTriple& result) = 0;
};

} // namespace plok
