#include "claims/Uniqueness.h"

#include "core/Errors.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using plok::claims::MeasureUniqueness;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

std::u16string Receipt(std::u16string_view number, std::u16string_view sex, std::u16string_view birth)
{
    std::u16string line = u"RE," + std::u16string(number) + u",1112,50605,テスト社" + std::u16string(number) + u","
        + std::u16string(sex) + u"," + std::u16string(birth);
    for (int f = 7; f <= 37; ++f)
        line += u",";
    return line;
}

TEST(Uniqueness, CountsReceiptsAloneOnBirthMonthSexAndDiagnoses)
{
    TempDir dir;
    WriteBytes(dir / "copy.UKE",
        Sjis({
            u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,0312345678",
            // the same month, sex and diagnosis as the next: neither is alone
            Receipt(u"1", u"1", u"3450712"),
            u"SY,8830052,5060501,1",
            Receipt(u"2", u"1", u"3450701"),
            u"SY,8830052,5060501,1",
            // alone on its sex
            Receipt(u"3", u"2", u"3450715"),
            u"SY,8830052,5060501,1",
            // the same set of diagnoses, in another order and repeated: not alone
            Receipt(u"4", u"1", u"3600101"),
            u"SY,1000001,5060501,1",
            u"SY,1000002,5060501,1",
            Receipt(u"5", u"1", u"3600105"),
            u"SY,1000002,5060501,1",
            u"SY,1000001,5060501,1",
            u"SY,1000001,5060501,1",
            // not alone on birth month and sex, alone with its diagnosis
            Receipt(u"6", u"1", u"3600110"),
            u"SY,1000003,5060501,1",
            u"GO,6,100,99",
        }));
    const plok::claims::Uniqueness u = MeasureUniqueness(dir / "copy.UKE");
    EXPECT_EQ(u.receipts, 6u);
    EXPECT_EQ(u.byBirthMonthAndSex, 1u);
    EXPECT_EQ(u.withDiagnoses, 2u);
    EXPECT_TRUE(u.hasDiagnoses);
    const std::u16string text = plok::claims::UniquenessText(u);
    EXPECT_NE(text.find(u"6件"), std::u16string::npos);
    EXPECT_NE(text.find(u"1件（17%）"), std::u16string::npos);
    EXPECT_NE(text.find(u"2件（33%）"), std::u16string::npos);
}

TEST(Uniqueness, AFileThatIsNoClaimsFileIsRefusedByName)
{
    TempDir dir;
    WriteBytes(dir / "notes.txt", "hello\r\n");
    EXPECT_THROW(MeasureUniqueness(dir / "notes.txt"), plok::FileError);
    EXPECT_THROW(MeasureUniqueness(dir / "missing.UKE"), plok::FileError);
}

} // namespace
