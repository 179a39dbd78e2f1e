#include "claims/Delivery.h"

#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/IniFile.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using plok::Environment;
using plok::RunStatus;
using plok::claims::DeliverFiles;
using plok::claims::DeliveryResult;
using plok::test::ReadBytes;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

const std::string kSocial
    = "IR,1,13,1,0123456,," + plok::cp932::Encode(u"ORVAクリニック") + ",50605,00,012\r\nRE,1\r\n";
const std::string kNational = "IR,2,13,1,0123456,," + plok::cp932::Encode(u"ORVAクリニック") + ",50605,00,012\r\n";

class DeliveryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* d : {"program", "downloads", "save"})
            std::filesystem::create_directory(root / d);
        places = {root / "program", root / "program" / "user.ini", root / "downloads"};
        WriteBytes(places.programFolder / "50605_1.UKE", kSocial);
        WriteBytes(places.programFolder / "50605_2.UKE", kNational);
    }
    void Setting(std::u16string_view key, std::u16string_view value)
    {
        plok::IFWriteIniStr(places.settingsFile, u"PARAM", key, value);
    }
    bool InProgram(const char* name) const { return std::filesystem::exists(places.programFolder / name); }

    TempDir root;
    Environment places;
};

TEST_F(DeliveryTest, WithoutSaveFolderFilesMoveToDownloadsWhateverSvchgSays)
{
    Setting(u"SVCHG", u"1");
    for (const std::u16string saved : {u"", u"   "}) {
        EXPECT_FALSE(plok::claims::HasSaveFolder(saved));
        const DeliveryResult r = DeliverFiles(places, saved, u"50605_1.UKE", u"50605_2.UKE");
        EXPECT_EQ(r.status, RunStatus::Done);
        EXPECT_EQ(r.destination, root / "downloads");
        WriteBytes(places.programFolder / "50605_1.UKE", kSocial);
        WriteBytes(places.programFolder / "50605_2.UKE", kNational);
    }
    EXPECT_EQ(ReadBytes(root / "downloads" / "50605_1.UKE"), kSocial);
    EXPECT_EQ(ReadBytes(root / "downloads" / "50605_2.UKE"), kNational);
}

TEST_F(DeliveryTest, CopyThenDeleteAndReplaceAnExistingTarget)
{
    WriteBytes(root / "save" / "50605_1.UKE", "older");
    const DeliveryResult r = DeliverFiles(places, (root / "save").u16string(), u"50605_1.UKE", u"");
    EXPECT_TRUE(plok::claims::HasSaveFolder((root / "save").u16string()));
    EXPECT_EQ(r.delivered, std::vector<std::u16string> {u"50605_1.UKE"});
    EXPECT_TRUE(r.failed.empty());
    EXPECT_EQ(ReadBytes(root / "save" / "50605_1.UKE"), kSocial);
    EXPECT_FALSE(InProgram("50605_1.UKE"));
    EXPECT_TRUE(InProgram("50605_2.UKE"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root / "save"), {}), 1);
}

TEST_F(DeliveryTest, InstitutionSubfolderFromTheFirstFileIsCreatedAndReused)
{
    Setting(u"SVCHG", u" 1 ");
    const auto sub = root / "save" / plok::ToPath(u"0123456_ORVAクリニック");
    DeliverFiles(places, (root / "save").u16string(), u"50605_1.UKE", u"50605_2.UKE");
    EXPECT_EQ(ReadBytes(sub / "50605_1.UKE"), kSocial);
    EXPECT_EQ(ReadBytes(sub / "50605_2.UKE"), kNational);

    WriteBytes(places.programFolder / "50605_1.UKE", kSocial + "CO,1\r\n");
    const DeliveryResult again = DeliverFiles(places, (root / "save").u16string(), u"50605_1.UKE", u"");
    EXPECT_EQ(again.destination, sub);
    EXPECT_EQ(ReadBytes(sub / "50605_1.UKE"), kSocial + "CO,1\r\n");
}

TEST_F(DeliveryTest, ASecondFileAloneNamesTheSubfolder)
{
    // A month whose social copy was not written: the national copy still finds its institution's folder.
    Setting(u"SVCHG", u"1");
    const DeliveryResult r = DeliverFiles(places, (root / "save").u16string(), u"", u"50605_2.UKE");
    EXPECT_EQ(r.destination, root / "save" / plok::ToPath(u"0123456_ORVAクリニック"));
    EXPECT_EQ(ReadBytes(r.destination / "50605_2.UKE"), kNational);
}

TEST_F(DeliveryTest, SvchgOtherThanOneMeansNoSubfolder)
{
    Setting(u"SVCHG", u"2");
    const DeliveryResult r = DeliverFiles(places, (root / "save").u16string(), u"50605_1.UKE", u"");
    EXPECT_EQ(r.destination, root / "save");
    EXPECT_TRUE(std::filesystem::exists(root / "save" / "50605_1.UKE"));
}

TEST_F(DeliveryTest, SubfolderNeedsAReadableFirstFileWithFieldsFourAndSix)
{
    Setting(u"SVCHG", u"1");
    const std::u16string save = (root / "save").u16string();
    EXPECT_THROW(DeliverFiles(places, save, u"gone.UKE", u"50605_2.UKE"), plok::IoError);
    const std::vector<std::pair<std::string, int>> shortLines = {{"", 0}, {"IR,1,2,3\r\n", 4}, {"IR,1,2,3,4,5\r\n", 6}};
    for (const auto& [content, index] : shortLines) {
        SCOPED_TRACE(content);
        WriteBytes(places.programFolder / "short.UKE", content);
        try {
            DeliverFiles(places, save, u"short.UKE", u"50605_2.UKE");
            ADD_FAILURE() << "no failure";
        } catch (const plok::ListIndexError& e) {
            EXPECT_EQ(e.index(), index);
        }
    }
    EXPECT_TRUE(InProgram("50605_2.UKE"));
    EXPECT_TRUE(std::filesystem::is_empty(root / "save"));
}

TEST_F(DeliveryTest, SubfolderNameThatLeavesTheSaveFolderIsRefused)
{
    Setting(u"SVCHG", u"1");
    for (const std::string code : {"..", "../x", "a/b", "a:b"}) {
        SCOPED_TRACE(code);
        WriteBytes(places.programFolder / "odd.UKE", "IR,1,13,1," + code + ",,name,50605\r\n");
        const DeliveryResult r = DeliverFiles(places, (root / "save").u16string(), u"odd.UKE", u"50605_2.UKE");
        EXPECT_EQ(r.status, RunStatus::UnsafeSubfolder);
        EXPECT_NE(r.message.find(u"フォルダ名に使えない"), std::u16string::npos);
        EXPECT_EQ(r.failed, (std::vector<std::u16string> {u"odd.UKE", u"50605_2.UKE"}));
        EXPECT_TRUE(InProgram("odd.UKE"));
        EXPECT_TRUE(InProgram("50605_2.UKE"));
        EXPECT_TRUE(std::filesystem::is_empty(root / "save"));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.path()), {}), 3);
}

TEST_F(DeliveryTest, FailedCopiesAreSilentAndKeepTheFiles)
{
    struct Case
    {
        std::string name;
        std::filesystem::path saveFolder;
        std::u16string file1;
        std::u16string file2;
        std::vector<std::u16string> delivered;
        std::vector<std::u16string> failed;
        bool firstStays; // 50605_1.UKE still in the program folder afterwards
    };
    const std::vector<Case> cases = {
        {"save folder deleted", root / "gone", u"50605_1.UKE", u"50605_2.UKE", {}, {u"50605_1.UKE", u"50605_2.UKE"},
            true},
        {"same name twice", root / "save", u"50605_1.UKE", u"50605_1.UKE", {u"50605_1.UKE"}, {u"50605_1.UKE"}, false},
        {"stale first name", root / "save", u"old_1.UKE", u"50605_2.UKE", {u"50605_2.UKE"}, {u"old_1.UKE"}, true},
        {"both names empty", root / "save", u"", u"", {}, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(places.programFolder / "50605_1.UKE", kSocial);
        WriteBytes(places.programFolder / "50605_2.UKE", kNational);
        const DeliveryResult r = DeliverFiles(places, c.saveFolder.u16string(), c.file1, c.file2);
        EXPECT_EQ(r.status, RunStatus::Done);
        EXPECT_EQ(r.delivered, c.delivered);
        EXPECT_EQ(r.failed, c.failed);
        EXPECT_EQ(InProgram("50605_1.UKE"), c.firstStays);
    }
}

TEST_F(DeliveryTest, ProgramFolderAsDestinationKeepsTheOnlyCopy)
{
    const DeliveryResult r = DeliverFiles(places, places.programFolder.u16string(), u"50605_1.UKE", u"50605_2.UKE");
    EXPECT_EQ(r.delivered, (std::vector<std::u16string> {u"50605_1.UKE", u"50605_2.UKE"}));
    EXPECT_EQ(ReadBytes(places.programFolder / "50605_1.UKE"), kSocial);
    EXPECT_EQ(ReadBytes(places.programFolder / "50605_2.UKE"), kNational);
}

TEST_F(DeliveryTest, NoDownloadsFolderNeverMeansTheRootFolder)
{
    places.downloads.clear();
    const DeliveryResult r = DeliverFiles(places, u"", u"50605_1.UKE", u"");
    EXPECT_EQ(r.failed, std::vector<std::u16string> {u"50605_1.UKE"});
    EXPECT_TRUE(InProgram("50605_1.UKE"));
}

TEST(ReadSaveFolder, ReadsSavefdrOrNothing)
{
    TempDir dir;
    EXPECT_EQ(plok::claims::ReadSaveFolder(dir / "user.ini"), u"");
    plok::IFWriteIniStr(dir / "user.ini", u"PARAM", u"SAVEFDR", u"/home/clinic/保存");
    EXPECT_EQ(plok::claims::ReadSaveFolder(dir / "user.ini"), u"/home/clinic/保存");
}

} // namespace

namespace {

std::size_t OpenDescriptors()
{
    return plok::test::OpenFileCount();
}

TEST_F(DeliveryTest, FailedCopiesLeaveNoDescriptorOpenAndSayWhy)
{
    // The save folder is gone: each copy fails after its source was opened.
    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 5; ++i) {
        const DeliveryResult r = DeliverFiles(places, (root / "gone").u16string(), u"50605_1.UKE", u"50605_2.UKE");
        ASSERT_EQ(r.failed.size(), 2u);
        ASSERT_EQ(r.reasons.size(), 2u);
        EXPECT_NE(r.reasons[0].find(u"(ファイルまたはフォルダがありません)"), std::u16string::npos);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(InProgram("50605_1.UKE"));
    EXPECT_TRUE(InProgram("50605_2.UKE"));
}

} // namespace
