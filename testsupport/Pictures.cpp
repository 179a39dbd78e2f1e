#include "testsupport/Pictures.h"

#include "claims/Delivery.h"
#include "claims/MainPresenter.h"
#include "core/Cp932.h"
#include "core/FileNames.h"

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

} // namespace

std::vector<std::u16string> AnonymiseMonth(const Environment& env)
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
    SilentPrompts prompts;
    NoWindows none;
    claims::MainPresenter main(env, prompts, none, none);
    main.Edit1Change(PathText(social));
    main.Edit2Change(PathText(national));
    main.Button1Click();
    return prompts.warnings;
}

std::u16string UndeliveredWarning(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view shownWorkFolder)
{
    const claims::DeliveryResult result = claims::DeliverFiles(env, saveFolder, u"50605_1.UKE", u"50605_2.UKE");
    std::u16string text = claims::UndeliveredText(env, result);
    const std::u16string work = PathText(env.programFolder);
    for (std::size_t at = text.find(work); at != std::u16string::npos;
         at = text.find(work, at + shownWorkFolder.size()))
        text.replace(at, work.size(), shownWorkFolder);
    return text;
}

std::vector<BoxPicture> BoxPictures(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view shownWorkFolder)
{
    const std::vector<std::u16string> anonymised = AnonymiseMonth(env);
    if (anonymised.size() != 1)
        throw std::runtime_error(
            "the month's anonymisation gave " + std::to_string(anonymised.size()) + " warnings, not the audit's one");
    return {
        {"box-warning", BoxKind::Warning, u"ファイルがありません。"},
        {"box-information", BoxKind::Information, u"社保のレセ電データファイルを選択します"},
        {"box-confirm", BoxKind::Confirm, u"新しいレセ電ファイルを選択しますか？"},
        {"box-error", BoxKind::Error, u"リストのインデックスが範囲を超えています (13)"},
        {"box-audit", BoxKind::Warning, anonymised.front()},
        {"box-undelivered", BoxKind::Warning, UndeliveredWarning(env, saveFolder, shownWorkFolder)},
    };
}

} // namespace plok::test
