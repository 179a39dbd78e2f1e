#pragma once

#include "core/Cp932.h"

#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// Small claims files of every kind plok reads, each with the records of its kind at their full count of fields, and
/// files plok must refuse. Shared by the run tests and the end-to-end tests of plok-cli.
namespace plok::test {

/// A record of `count` fields: its identifier, the values at their indices, every other field empty.
inline std::u16string Record(std::u16string_view id, std::size_t count,
    std::initializer_list<std::pair<std::size_t, std::u16string_view>> values)
{
    std::vector<std::u16string_view> fields(count);
    fields[0] = id;
    for (const auto& [index, value] : values)
        fields.at(index) = value;
    std::u16string line;
    for (std::size_t i = 0; i < count; ++i)
        line += (i == 0 ? u"" : u",") + std::u16string(fields[i]);
    return line;
}

/// One kind's file and what the runs must make of it.
struct KindFixture
{
    const char* kind;
    std::vector<std::u16string> lines;
    bool endMark; // the file ends with 0x1A after its last CR LF
    std::u16string copyName; // of the anonymised copy
    std::u16string strongName; // of the strong copy
    std::u16string strippedName; // of the branch-number removal's copy
    /// Values no anonymised copy may hold anywhere.
    std::vector<std::u16string> identifiers;
    /// Values no strong copy may hold anywhere besides.
    std::vector<std::u16string> strongIdentifiers;
    /// The chart numbers in file order, and what the symbol mode of branch-number removal keeps of each.
    std::vector<std::pair<std::u16string, std::u16string>> charts;

    std::string Bytes() const
    {
        std::string bytes;
        for (const std::u16string& line : lines)
            bytes += cp932::Encode(line) + "\r\n";
        return endMark ? bytes + "\x1a" : bytes;
    }
};

/// 医科, social insurance: eligibility records filled as the payer returns them, an organ donor's institution and
/// receipt, comments and symptom notes, a name in half-width letters with a blank (which the format allows); ends
/// with 0x1A.
inline KindFixture MedicalFixture()
{
    return {"medical",
        {
            Record(u"IR", 10,
                {{1, u"1"}, {2, u"13"}, {3, u"1"}, {4, u"1312345"}, {6, u"医療法人社団　青空会　青空内科クリニック"},
                    {7, u"202406"}, {8, u"00"}, {9, u"03-3123-4567"}}),
            Record(u"RE", 38,
                {{1, u"1"}, {2, u"1112"}, {3, u"202406"}, {4, u"山田　太郎"}, {5, u"1"}, {6, u"19700712"}, {7, u"70"},
                    {13, u"12345-01"}, {18, u"11223344556677889"}, {20, u"紹介状あり"}, {36, u"ヤマダタロウ"}}),
            Record(u"HO", 15, {{1, u"06132013"}, {2, u"１２・３４"}, {3, u"５６７８９"}, {4, u"3"}, {5, u"1234"}}),
            Record(u"KO", 12, {{1, u"12136012"}, {2, u"7654321"}, {4, u"3"}, {5, u"1234"}}),
            Record(u"SN", 9,
                {{1, u"1"}, {2, u"01"}, {3, u"06132013"}, {4, u"１２・３４"}, {5, u"５６７８９"}, {6, u"01"}}),
            Record(u"SN", 9, {{1, u"2"}, {2, u"01"}, {3, u"12136012"}, {7, u"7654321"}}),
            Record(u"JD", 33, {{1, u"1"}, {3, u"1"}, {10, u"1"}}),
            Record(u"SY", 8, {{1, u"8833421"}, {2, u"20240601"}, {3, u"1"}, {6, u"01"}}),
            Record(u"SI", 44, {{1, u"12"}, {2, u"1"}, {3, u"112007410"}, {5, u"73"}, {6, u"1"}, {13, u"1"}}),
            Record(u"CO", 5, {{1, u"12"}, {2, u"1"}, {3, u"820100001"}, {4, u"山田さんのご家族より依頼"}}),
            Record(u"SJ", 3, {{1, u"01"}, {2, u"経過良好、山田様に説明済み"}}),
            Record(u"TI", 10,
                {{1, u"1"}, {2, u"2"}, {3, u"13"}, {4, u"1"}, {5, u"1398765"}, {7, u"港南総合病院"},
                    {8, u"東京都港区港南一丁目２番３号"}, {9, u"03-5555-1234"}}),
            Record(u"TR", 18, {{1, u"1"}, {2, u"1112"}, {3, u"202406"}, {5, u"2"}, {6, u"19851103"}, {13, u"D7788-2"}}),
            Record(u"RE", 38,
                {{1, u"2"}, {2, u"1112"}, {3, u"202406"}, {4, u"ｽｽﾞｷ ﾊﾅｺ"}, {5, u"2"}, {6, u"19920305"}, {7, u"70"},
                    {13, u"20001-3"}, {36, u"スズキハナコ"}}),
            Record(u"HO", 15, {{1, u"06139999"}, {2, u"５６"}, {3, u"７８９０１"}, {4, u"1"}, {5, u"300"}}),
            Record(u"SY", 8, {{1, u"0000999"}, {2, u"20240610"}, {3, u"1"}, {5, u"原因不明の持病"}}),
            Record(u"GO", 4, {{1, u"2"}, {2, u"1534"}, {3, u"99"}}),
        },
        true, u"202406_1.UKE", u"202406_1_strong.UKE", u"(202406提出_社保)RECEIPTC.uke",
        {u"1312345", u"青空内科", u"03-3123-4567", u"山田　太郎", u"ヤマダタロウ", u"06132013", u"１２・３４",
            u"５６７８９", u"12136012", u"7654321", u"山田さん", u"山田様", u"1398765", u"港南総合病院", u"港南一丁目",
            u"03-5555-1234", u"ｽｽﾞｷ ﾊﾅｺ", u"スズキハナコ", u"06139999", u"７８９０１"},
        {u"12345-01", u"19700712", u"11223344556677889", u"紹介状あり", u"D7788-2", u"19851103", u"20001-3",
            u"19920305", u"原因不明の持病"},
        {{u"12345-01", u"12345"}, {u"D7788-2", u"D7788"}, {u"20001-3", u"20001"}}};
}

/// DPC, national insurance: receipts of 30 fields and the records of DPC files; no 0x1A.
inline KindFixture DpcFixture()
{
    return {"dpc",
        {
            Record(u"IR", 10,
                {{1, u"2"}, {2, u"13"}, {3, u"1"}, {4, u"1319999"}, {6, u"医療法人　桜会　桜台記念病院"},
                    {7, u"202406"}, {8, u"00"}, {9, u"03-3111-2222"}}),
            Record(u"RE", 30,
                {{1, u"1"}, {2, u"1116"}, {3, u"202406"}, {4, u"佐藤　一郎"}, {5, u"1"}, {6, u"19480117"}, {7, u"90"},
                    {8, u"20240603"}, {9, u"01"}, {13, u"77001-2"}, {18, u"0"}, {19, u"5"}, {20, u"12345678901234567"},
                    {22, u"再請求の理由"}, {23, u"01"}, {28, u"サトウイチロウ"}}),
            Record(u"HO", 16, {{1, u"39131012"}, {3, u"１２３４５６７"}, {4, u"10"}, {5, u"25000"}}),
            Record(u"BU", 6, {{1, u"040080xx99x0xx"}, {2, u"20240603"}}),
            Record(u"SB", 8, {{1, u"0000999"}, {3, u"右下肺野の陰影"}, {4, u"J189"}, {5, u"01"}}),
            Record(u"SB", 8, {{1, u"4860004"}, {4, u"J189"}, {5, u"11"}, {7, u"既往あり（詳細不明）"}}),
            Record(u"CD", 11, {{1, u"20240603"}, {2, u"90"}, {3, u"1"}, {4, u"1"}, {5, u"190117710"}, {9, u"1"}}),
            Record(u"GO", 4, {{1, u"1"}, {2, u"25000"}, {3, u"99"}}),
        },
        false, u"202406_2.UKE", u"202406_2_strong.UKE", u"(202406提出_国保)RECEIPTD.uke",
        {u"1319999", u"桜台記念", u"03-3111-2222", u"佐藤　一郎", u"サトウイチロウ", u"39131012", u"１２３４５６７"},
        {u"77001-2", u"19480117", u"12345678901234567", u"再請求の理由", u"右下肺野", u"既往あり"},
        {{u"77001-2", u"77001"}}};
}

/// 歯科, national insurance: the header UK and an IR before each receipt; ends with 0x1A.
inline KindFixture DentalFixture()
{
    return {"dental",
        {
            Record(u"UK", 10,
                {{1, u"2"}, {2, u"13"}, {3, u"3"}, {4, u"1301234"}, {6, u"医療法人　白樺会　しらかば歯科"},
                    {7, u"202406"}, {9, u"00"}}),
            Record(u"IR", 9, {{1, u"2"}, {2, u"13"}, {3, u"3"}, {4, u"1301234"}, {6, u"202406"}, {7, u"03-3999-8888"}}),
            Record(u"RE", 27,
                {{1, u"1"}, {2, u"3112"}, {3, u"202406"}, {4, u"高橋　次郎"}, {5, u"1"}, {6, u"19801224"}, {7, u"70"},
                    {9, u"20240510"}, {13, u"01"}, {15, u"0456-1"}, {19, u"23456789012345678"},
                    {21, u"再請求分（歯科）"}, {25, u"タカハシジロウ"}}),
            Record(u"HO", 14, {{1, u"06271234"}, {2, u"ＡＢＣ"}, {3, u"１０２０３"}, {4, u"2"}, {5, u"540"}}),
            Record(u"SN", 9, {{1, u"1"}, {2, u"01"}, {6, u"02"}}),
            Record(u"HS", 13,
                {{3, u"104600"}, {4, u"0000999"}, {6, u"左下の冷水痛"}, {11, u"冷たいものでしみる"}, {9, u"01"}}),
            Record(u"SS", 109, {{1, u"13"}, {2, u"1"}, {3, u"302000110"}, {76, u"56"}, {77, u"1"}, {78, u"1"}}),
            Record(u"CO", 11, {{1, u"13"}, {2, u"1"}, {3, u"830100001"}, {4, u"高橋様ご本人より電話"}}),
            Record(u"IR", 9, {{1, u"2"}, {2, u"13"}, {3, u"3"}, {4, u"1301234"}, {6, u"202406"}, {7, u"03-3999-8888"}}),
            Record(u"RE", 27,
                {{1, u"2"}, {2, u"3112"}, {3, u"202406"}, {4, u"伊藤　三郎"}, {5, u"1"}, {6, u"19751111"}, {7, u"70"},
                    {15, u"0789"}, {25, u"イトウサブロウ"}}),
            Record(u"HO", 14, {{1, u"06271234"}, {2, u"ＡＢＣ"}, {3, u"３０４０５"}, {4, u"1"}, {5, u"300"}}),
            Record(u"GO", 4, {{1, u"2"}, {2, u"840"}, {3, u"99"}}),
        },
        true, u"202406_2.UKE", u"202406_2_strong.UKE", u"(202406提出_国保)RECEIPTS.uke",
        {u"1301234", u"しらかば", u"03-3999-8888", u"高橋　次郎", u"タカハシジロウ", u"06271234", u"ＡＢＣ",
            u"１０２０３", u"高橋様", u"伊藤　三郎", u"イトウサブロウ", u"３０４０５"},
        {u"0456-1", u"19801224", u"23456789012345678", u"再請求分（歯科）", u"冷水痛", u"しみる", u"19751111"},
        {{u"0456-1", u"0456"}, {u"0789", u"0789"}}};
}

/// 調剤, social insurance: the receipt names the prescribing clinic, its address and doctors; no 0x1A.
inline KindFixture PharmacyFixture()
{
    return {"pharmacy",
        {
            Record(u"YK", 9,
                {{1, u"1"}, {2, u"13"}, {3, u"4"}, {4, u"1357911"}, {5, u"すずらん薬局"}, {6, u"202406"}, {7, u"00"},
                    {8, u"03-3777-6666"}}),
            Record(u"RE", 42,
                {{1, u"1"}, {2, u"4112"}, {3, u"202406"}, {4, u"中村　美咲"}, {5, u"2"}, {6, u"19900415"}, {7, u"70"},
                    {8, u"29"}, {9, u"13"}, {10, u"1"}, {11, u"1312345"}, {12, u"青空内科クリニック"},
                    {13, u"東京都新宿区西新宿2-8-1"}, {14, u"青空　一郎"}, {15, u"青空　花子"}, {34, u"第12345号"},
                    {35, u"00123-1"}, {37, u"34567890123456789"}, {39, u"再請求分（調剤）"}, {40, u"1"},
                    {41, u"ナカムラミサキ"}}),
            Record(u"HO", 14, {{1, u"06132013"}, {2, u"４５・６７"}, {3, u"８９０１２"}, {4, u"1"}, {5, u"250"}}),
            Record(u"SN", 9, {{1, u"1"}, {2, u"01"}, {3, u"06132013"}, {6, u"03"}}),
            Record(u"SH", 10, {{1, u"1"}, {2, u"1"}, {3, u"1013044400000000"}, {4, u"食後に服用"}}),
            Record(u"CZ", 71, {{1, u"1"}, {2, u"0601"}, {3, u"0601"}, {4, u"1"}, {5, u"7"}, {6, u"1"}, {10, u"12"}}),
            Record(u"IY", 10, {{1, u"1"}, {2, u"620004477"}, {3, u"3"}}),
            Record(u"TK", 3, {{2, u"中村様へ残薬を確認済み"}}),
            Record(u"CO", 3, {{1, u"810000001"}, {2, u"青空先生に疑義照会"}}),
            Record(u"GO", 4, {{1, u"1"}, {2, u"250"}, {3, u"99"}}),
        },
        false, u"202406_1.CYO", u"202406_1_strong.CYO", u"(202406提出_社保)RECEIPTY.cyo",
        {u"1357911", u"すずらん", u"03-3777-6666", u"中村　美咲", u"ナカムラミサキ", u"1312345", u"青空内科", u"西新宿",
            u"青空　一郎", u"青空　花子", u"12345号", u"06132013", u"４５・６７", u"８９０１２", u"中村様",
            u"青空先生"},
        {u"00123-1", u"19900415", u"34567890123456789", u"再請求分（調剤）"}, {{u"00123-1", u"00123"}}};
}

/// Names a fixture in a test's output.
inline void PrintTo(const KindFixture& fixture, std::ostream* os)
{
    *os << fixture.kind;
}

inline std::vector<KindFixture> KindFixtures()
{
    return {MedicalFixture(), DpcFixture(), DentalFixture(), PharmacyFixture()};
}

/// A file plok must refuse, and a piece of the refusal that says what it is or what plok expected.
struct RefusedFixture
{
    const char* name;
    std::string bytes;
    std::u16string says;
};

inline std::vector<RefusedFixture> RefusedFixtures()
{
    const auto sjis = [](std::initializer_list<std::u16string_view> lines) {
        std::string bytes;
        for (const std::u16string_view line : lines)
            bytes += cp932::Encode(line) + "\r\n";
        return bytes;
    };
    return {
        // A returned-claims file: its history lines begin with three numbers before the record they repeat.
        {"returned.HEN",
            sjis({u"HI,1,202407,13,1,1312345,,00", u"HR,202407,1,11,A001,保険者番号の誤り,,,,,,,,",
                u"RE,1,1112,202406,山田　太郎,1,19700712,70,,,,,,12345-01",
                u"8,00001,000,RE,1,1112,202406,山田　太郎,1,19700712", u"HG,1,1234,99"}),
            u"返戻ファイル"},
        // A patient list whose fourth character is "1", as a claims file's is.
        {"patients.csv", sjis({u"ID,1,山田　太郎,19700712", u"ID,2,鈴木　花子,19920305"}),
            u"レセ電データではありません"},
        {"empty.UKE", "", u"ファイルが空"},
        {"memo.txt", sjis({u"メモ：来月の請求を確認", u"山田　太郎さん、再来院予定"}), u"レセ電データではありません"},
        // A claims header whose payer is neither 1 nor 2.
        {"payer.UKE", sjis({u"IR,3,13,1,1312345,,青空内科,202406,00,03-3123-4567"}), u"審査支払機関"},
    };
}

} // namespace plok::test
