#pragma once

#include "core/Environment.h"
#include "present/Forms.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "present/Wiring.h"

#include <string>

namespace plok::claims {

/// The result dialog's decisions: shows a finished job's message and hands the files it wrote over to the Downloads
/// folder or the configured save folder.
class MsgPresenter
{
public:
    using Form = form::TfrmMsg;

    MsgPresenter(const Environment& env, Prompts& prompts, View& view);

    /// Reads the save folder setting (SAVEFDR) once, for the dialog's life: with a save folder the button reads
    /// "保存".
    void InitSet();
    /// Takes the job's result and shows its message.
    void DspSet(ResultTriple result);
    /// Delivers the files, says what could not be delivered and offers to open the work folder where it lies, and
    /// closes the dialog. Throws IoError or ListIndexError when the institution subfolder cannot be named; nothing is
    /// moved then and the dialog stays open.
    void Button1Click();
    /// The dialog closed, however it was closed. Files it did not try to deliver are removed from the work folder:
    /// nobody would look for them there, and a stripped copy carries the patients' real names.
    void FormClose();
    /// The window's controls and what each hands on: the button stays in the middle as the dialog grows.
    WindowWiring Wiring();

private:
    Environment m_env;
    Prompts& m_prompts;
    View& m_view;
    std::u16string gstPath;
    ResultTriple m_result;
    bool m_handedOver = false; // the button tried to deliver: what stayed behind, the user was told of
};

} // namespace plok::claims
