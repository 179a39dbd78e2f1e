#include "testsupport/ClaimGenerator.h"

#include "core/Cp932.h"
#include "core/StrConv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <stdexcept>
#include <vector>

namespace plok::testsupport {
namespace {

constexpr std::size_t kChunk = std::size_t {1} << 20;
constexpr int kDays = 31;

struct NameEntry
{
    std::u16string_view kanji;
    std::u16string_view kana;
};

// 髙 and 﨑 are IBM extensions, the kind of characters real patient names carry.
constexpr NameEntry kFamilyNames[] = {
    {u"山田", u"ﾔﾏﾀﾞ"},
    {u"佐藤", u"ｻﾄｳ"},
    {u"鈴木", u"ｽｽﾞｷ"},
    {u"高橋", u"ﾀｶﾊｼ"},
    {u"田中", u"ﾀﾅｶ"},
    {u"伊藤", u"ｲﾄｳ"},
    {u"渡辺", u"ﾜﾀﾅﾍﾞ"},
    {u"中村", u"ﾅｶﾑﾗ"},
    {u"小林", u"ｺﾊﾞﾔｼ"},
    {u"加藤", u"ｶﾄｳ"},
    {u"吉田", u"ﾖｼﾀﾞ"},
    {u"山本", u"ﾔﾏﾓﾄ"},
    {u"松本", u"ﾏﾂﾓﾄ"},
    {u"井上", u"ｲﾉｳｴ"},
    {u"木村", u"ｷﾑﾗ"},
    {u"林", u"ﾊﾔｼ"},
    {u"斎藤", u"ｻｲﾄｳ"},
    {u"清水", u"ｼﾐｽﾞ"},
    {u"山口", u"ﾔﾏｸﾞﾁ"},
    {u"森", u"ﾓﾘ"},
    {u"池田", u"ｲｹﾀﾞ"},
    {u"橋本", u"ﾊｼﾓﾄ"},
    {u"阿部", u"ｱﾍﾞ"},
    {u"石川", u"ｲｼｶﾜ"},
    {u"前田", u"ﾏｴﾀﾞ"},
    {u"藤田", u"ﾌｼﾞﾀ"},
    {u"小川", u"ｵｶﾞﾜ"},
    {u"岡田", u"ｵｶﾀﾞ"},
    {u"長谷川", u"ﾊｾｶﾞﾜ"},
    {u"近藤", u"ｺﾝﾄﾞｳ"},
    {u"髙橋", u"ﾀｶﾊｼ"},
    {u"山﨑", u"ﾔﾏｻﾞｷ"},
    {u"能登", u"ﾉﾄ"},
    {u"十河", u"ｿｺﾞｳ"},
};

constexpr NameEntry kMaleNames[] = {
    {u"太郎", u"ﾀﾛｳ"},
    {u"一郎", u"ｲﾁﾛｳ"},
    {u"健太", u"ｹﾝﾀ"},
    {u"翔太", u"ｼｮｳﾀ"},
    {u"大輔", u"ﾀﾞｲｽｹ"},
    {u"誠", u"ﾏｺﾄ"},
    {u"浩二", u"ｺｳｼﾞ"},
    {u"隆", u"ﾀｶｼ"},
    {u"蓮", u"ﾚﾝ"},
    {u"悠真", u"ﾕｳﾏ"},
    {u"正雄", u"ﾏｻｵ"},
    {u"勇", u"ｲｻﾑ"},
    {u"宗介", u"ｿｳｽｹ"},
};

constexpr NameEntry kFemaleNames[] = {
    {u"花子", u"ﾊﾅｺ"},
    {u"恵子", u"ｹｲｺ"},
    {u"美咲", u"ﾐｻｷ"},
    {u"陽子", u"ﾖｳｺ"},
    {u"由美", u"ﾕﾐ"},
    {u"結衣", u"ﾕｲ"},
    {u"さくら", u"ｻｸﾗ"},
    {u"幸子", u"ｻﾁｺ"},
    {u"真由美", u"ﾏﾕﾐ"},
    {u"愛", u"ｱｲ"},
    {u"和子", u"ｶｽﾞｺ"},
    {u"葵", u"ｱｵｲ"},
};

constexpr std::u16string_view kInstitutions[] = {
    u"医療法人さくら会　青空内科クリニック",
    u"医療法人社団緑風会　みどり整形外科",
    u"すずらん小児科医院",
    u"東町ファミリークリニック",
    u"医療法人ソレイユ会　表参道皮膚科",
};

// What a person writes for each of kInstitutions: the name without its legal and facility words.
constexpr std::u16string_view kInstitutionParts[] = {
    u"青空内科",
    u"みどり整形外科",
    u"すずらん小児科",
    u"東町ファミリー",
    u"表参道皮膚科",
};

// Name characters and their readings, put together into many distinct names. An empty second character makes a
// name of one character (林, 健), which a hand-typed text may write next to the other part without a blank.
constexpr NameEntry kFamilyFirst[] = {
    {u"山", u"ヤマ"},
    {u"田", u"タ"},
    {u"中", u"ナカ"},
    {u"小", u"コ"},
    {u"大", u"オオ"},
    {u"高", u"タカ"},
    {u"石", u"イシ"},
    {u"松", u"マツ"},
    {u"竹", u"タケ"},
    {u"村", u"ムラ"},
    {u"木", u"キ"},
    {u"森", u"モリ"},
    {u"林", u"ハヤシ"},
    {u"井", u"イ"},
    {u"西", u"ニシ"},
    {u"東", u"ヒガシ"},
    {u"北", u"キタ"},
    {u"南", u"ミナミ"},
    {u"藤", u"フジ"},
    {u"佐", u"サ"},
    {u"伊", u"イ"},
    {u"加", u"カ"},
    {u"吉", u"ヨシ"},
    {u"青", u"アオ"},
    {u"岡", u"オカ"},
    {u"長", u"ナガ"},
    {u"宮", u"ミヤ"},
    {u"桜", u"サクラ"},
    {u"野", u"ノ"},
    {u"菊", u"キク"},
    {u"今", u"イマ"},
    {u"金", u"カネ"},
    {u"平", u"ヒラ"},
    {u"福", u"フク"},
    {u"清", u"キヨ"},
    {u"島", u"シマ"},
    {u"浅", u"アサ"},
    {u"川", u"カワ"},
    {u"原", u"ハラ"},
    {u"髙", u"タカ"},
};

constexpr NameEntry kFamilySecond[] = {
    {u"", u""},
    {u"田", u"ダ"},
    {u"本", u"モト"},
    {u"川", u"カワ"},
    {u"村", u"ムラ"},
    {u"山", u"ヤマ"},
    {u"野", u"ノ"},
    {u"井", u"イ"},
    {u"口", u"グチ"},
    {u"島", u"ジマ"},
    {u"原", u"ハラ"},
    {u"崎", u"サキ"},
    {u"沢", u"サワ"},
    {u"谷", u"タニ"},
    {u"橋", u"ハシ"},
    {u"木", u"キ"},
    {u"森", u"モリ"},
    {u"岡", u"オカ"},
    {u"内", u"ウチ"},
    {u"尾", u"オ"},
    {u"部", u"ベ"},
    {u"浦", u"ウラ"},
    {u"江", u"エ"},
    {u"池", u"イケ"},
    {u"宮", u"ミヤ"},
    {u"城", u"シロ"},
    {u"坂", u"サカ"},
    {u"瀬", u"セ"},
    {u"倉", u"クラ"},
    {u"﨑", u"サキ"},
};

constexpr NameEntry kGivenFirst[] = {
    {u"太", u"タ"},
    {u"健", u"ケン"},
    {u"大", u"ダイ"},
    {u"美", u"ミ"},
    {u"花", u"ハナ"},
    {u"恵", u"ケイ"},
    {u"陽", u"ヨウ"},
    {u"和", u"カズ"},
    {u"正", u"マサ"},
    {u"浩", u"ヒロ"},
    {u"誠", u"マコト"},
    {u"翔", u"ショウ"},
    {u"悠", u"ユウ"},
    {u"結", u"ユイ"},
    {u"真", u"マ"},
    {u"由", u"ユ"},
    {u"幸", u"サチ"},
    {u"智", u"トモ"},
    {u"直", u"ナオ"},
    {u"優", u"ユウ"},
    {u"千", u"チ"},
    {u"明", u"アキ"},
    {u"秀", u"ヒデ"},
    {u"光", u"ミツ"},
    {u"春", u"ハル"},
};

constexpr NameEntry kGivenSecond[] = {
    {u"", u""},
    {u"郎", u"ロウ"},
    {u"子", u"コ"},
    {u"太", u"タ"},
    {u"介", u"スケ"},
    {u"美", u"ミ"},
    {u"也", u"ヤ"},
    {u"人", u"ト"},
    {u"樹", u"キ"},
    {u"奈", u"ナ"},
    {u"香", u"カ"},
    {u"彦", u"ヒコ"},
    {u"恵", u"エ"},
    {u"一", u"イチ"},
    {u"二", u"ジ"},
    {u"男", u"オ"},
    {u"代", u"ヨ"},
    {u"江", u"エ"},
    {u"乃", u"ノ"},
    {u"輔", u"スケ"},
    {u"菜", u"ナ"},
};

constexpr std::u16string_view kSocialSymbols[] = {
    u"１２・３４",
    u"５６７",
    u"東京・中央",
    u"ア１２３",
    u"協けんぽ",
    u"１",
    u"都職",
};

constexpr std::u16string_view kNationalSymbols[] = {u"", u"中央", u"１２３", u"新宿・東"};

constexpr std::u16string_view kDiseases[] = {
    u"高血圧症",
    u"２型糖尿病",
    u"急性上気道炎",
    u"脂質異常症",
    u"逆流性食道炎",
    u"腰痛症",
    u"アレルギー性鼻炎",
    u"気管支喘息",
    u"慢性胃炎",
    u"不眠症",
    u"骨粗鬆症",
    u"変形性膝関節症",
    u"慢性心不全",
    u"便秘症",
    u"花粉症",
    u"頭痛",
    u"表在性皮膚感染症",
    u"ソケイヘルニア",
    u"アトピー性皮膚炎",
};

// U+2160 has an NEC and an IBM code; the encoder must pick the Windows one.
constexpr std::u16string_view kDiseaseWithNecChar = u"糖尿病性腎症第Ⅰ期";

constexpr std::u16string_view kDiseasePrefixes[] = {u"", u"", u"", u"", u"右", u"左", u"両側", u"急性", u"慢性"};
constexpr std::u16string_view kDiseaseSuffixes[] = {u"", u"", u"", u"", u"", u"の疑い"};

constexpr std::u16string_view kSymptomNotes[] = {
    u"３日前より発熱、咳嗽あり。",
    u"腹痛が持続するため、腹部超音波検査を実施した。",
    u"血糖コントロール不良のため、投薬内容を変更。",
    u"ソフトコンタクトレンズ装用中。",
    u"症状詳記：胸部Ｘ線にて浸潤影を認める。",
    u"前回検査値と比較し、改善傾向を認める。",
    u"本人の希望により、次回は２週間後に再診予定。",
    u"高齢のため、訪問診療の可能性について説明した。",
    u"ＨｂＡ１ｃ　８．２％、食事療法の再指導を行った。",
};

// Split around the user-defined character, which is written as raw bytes.
constexpr std::u16string_view kGaijiNoteHead = u"氏名の";
constexpr std::u16string_view kGaijiNoteTail = u"は外字のため代替表記なし。";

constexpr std::u16string_view kComments[] = {
    u"外来管理加算：処置なし",
    u"検査実施日：６月３日",
    u"長期処方の理由：遠方のため通院困難",
    u"初診日：令和６年５月２日",
    u"算定日：１０日、２４日",
    u"投与日数：３０日分",
    u"前月からの継続処方",
};

constexpr std::string_view kCommentCodes[] = {"810000001", "810000001", "820100015", "830100046", "842100001"};

struct Act
{
    std::string_view kind;
    std::string_view code;
    unsigned points;
};

constexpr Act kFirstVisit = {"11", "111000110", 291};
constexpr Act kRevisit = {"12", "112007410", 75};

constexpr Act kActs[] = {
    {"12", "112011310", 52},
    {"13", "113001810", 225},
    {"60", "160000310", 26},
    {"60", "160008010", 21},
    {"60", "160019010", 49},
    {"60", "160022510", 11},
    {"60", "160061710", 17},
    {"70", "170000410", 85},
    {"70", "170001910", 210},
    {"40", "140000610", 52},
    {"80", "180018910", 100},
    {"13", "113000910", 87},
};

struct Drug
{
    std::string_view kind;
    std::string_view code;
    std::string_view amount;
    unsigned points;
};

constexpr Drug kDrugs[] = {
    {"21", "620004567", "3", 12},
    {"21", "620098712", "1", 5},
    {"21", "621234501", "2", 24},
    {"21", "622001302", "1.5", 9},
    {"21", "610443051", "1", 31},
    {"22", "620007301", "1", 2},
    {"22", "610406079", "0.5", 3},
    {"23", "620001402", "25", 18},
    {"23", "662640420", "1", 64},
    {"21", "622112101", "3", 118},
};

constexpr std::string_view kSocialInsurerPrefixes[] = {"01", "06", "31", "32", "33", "34", "63"};
constexpr std::string_view kPublicPayerPrefixes[] = {"12", "15", "21", "51", "54", "80"};

std::string Sjis(std::u16string_view s)
{
    return cp932::Encode(s);
}

template<std::size_t N>
std::vector<std::string> SjisAll(const std::u16string_view (&texts)[N])
{
    std::vector<std::string> out;
    out.reserve(N);
    for (auto t : texts)
        out.push_back(Sjis(t));
    return out;
}

/// The half-width katakana of a full-width reading, as the RE record holds readings.
std::string HalfWidth(std::u16string_view reading)
{
    return reading.empty() ? std::string() : Sjis(StrConv(reading, {TConversion::Narrow}));
}

template<std::size_t N>
void Split(const NameEntry (&entries)[N], std::vector<std::string>& kanji, std::vector<std::string>& kana)
{
    for (const NameEntry& e : entries) {
        kanji.push_back(Sjis(e.kanji));
        kana.push_back(HalfWidth(e.kana));
    }
}

// Encoding goes through the codec once up front so that generation itself is plain byte copying.
struct Pools
{
    std::vector<std::string> familyKanji, familyKana;
    std::vector<std::string> maleKanji, maleKana;
    std::vector<std::string> femaleKanji, femaleKana;
    std::vector<std::string> institutions, socialSymbols, nationalSymbols;
    std::vector<std::string> diseases, diseasePrefixes, diseaseSuffixes, notes, comments;
    std::string necDisease, gaijiNote, wideSpace;
    std::vector<std::string> institutionParts;
    std::size_t otherCodeFamily = 0; // the family name of the small lists written with 髙, a character of two codes
    // The pieces of the distinct names: kanji, and the reading in half-width katakana as the RE record holds it.
    std::vector<std::string> familyFirst, familyFirstKana, familySecond, familySecondKana;
    std::vector<std::string> givenFirst, givenFirstKana, givenSecond, givenSecondKana;

    Pools()
        : institutions(SjisAll(kInstitutions))
        , socialSymbols(SjisAll(kSocialSymbols))
        , nationalSymbols(SjisAll(kNationalSymbols))
        , diseases(SjisAll(kDiseases))
        , diseasePrefixes(SjisAll(kDiseasePrefixes))
        , diseaseSuffixes(SjisAll(kDiseaseSuffixes))
        , notes(SjisAll(kSymptomNotes))
        , comments(SjisAll(kComments))
        , necDisease(Sjis(kDiseaseWithNecChar))
        , gaijiNote(Sjis(kGaijiNoteHead) + "\xF0\x40" + Sjis(kGaijiNoteTail))
        , wideSpace(Sjis(u"\u3000"))
        , institutionParts(SjisAll(kInstitutionParts))
    {
        Split(kFamilyFirst, familyFirst, familyFirstKana);
        Split(kFamilySecond, familySecond, familySecondKana);
        Split(kGivenFirst, givenFirst, givenFirstKana);
        Split(kGivenSecond, givenSecond, givenSecondKana);
        for (const auto& n : kFamilyNames) {
            if (n.kanji.find(u'髙') != n.kanji.npos)
                otherCodeFamily = familyKanji.size();
            familyKanji.push_back(Sjis(n.kanji));
            familyKana.push_back(Sjis(n.kana));
        }
        for (const auto& n : kMaleNames) {
            maleKanji.push_back(Sjis(n.kanji));
            maleKana.push_back(Sjis(n.kana));
        }
        for (const auto& n : kFemaleNames) {
            femaleKanji.push_back(Sjis(n.kanji));
            femaleKana.push_back(Sjis(n.kana));
        }
    }
};

void AppendNumber(std::string& out, std::uint64_t n)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

void AppendPadded(std::string& out, std::uint64_t n, int width)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, n);
    auto len = static_cast<int>(r.ptr - buf);
    if (len < width)
        out.append(static_cast<std::size_t>(width - len), '0');
    out.append(buf, r.ptr);
}

template<class T, std::size_t N>
const T& Pick(Rng& rng, const T (&items)[N])
{
    return items[rng.Below(N)];
}

template<class T>
const T& Pick(Rng& rng, const std::vector<T>& items)
{
    return items[rng.Below(items.size())];
}

class Generator
{
public:
    Generator(const ClaimOptions& options, const std::function<void(std::string_view)>& sink)
        : m_opt(options)
        , m_sink(sink)
        , m_rng(options.seed)
    {
        m_out.reserve(kChunk + 64 * 1024);
    }

    ClaimTotals Run()
    {
        m_totals.hasGo = m_rng.OneIn(2);
        WriteIr();
        for (std::uint64_t n = 1;; ++n) {
            if (m_opt.receipts != 0 ? n > m_opt.receipts : m_totals.bytes + m_out.size() >= m_opt.minBytes)
                break;
            WriteReceipt(n);
            if (m_out.size() >= kChunk)
                Flush();
        }
        if (m_totals.hasGo) {
            m_out += "GO,";
            AppendNumber(m_out, m_totals.receipts);
            m_out += ',';
            AppendNumber(m_out, m_totals.points);
            m_out += ",99\r\n";
        }
        if (m_opt.eof)
            m_out += '\x1A';
        Flush();
        return m_totals;
    }

private:
    /// The number of the line that will be appended to m_out next.
    std::uint64_t NextLine()
    {
        m_lines += static_cast<std::uint64_t>(
            std::count(m_out.begin() + static_cast<std::ptrdiff_t>(m_counted), m_out.end(), '\n'));
        m_counted = m_out.size();
        return m_lines + 1;
    }

    void Flush()
    {
        if (m_out.empty())
            return;
        NextLine();
        m_counted = 0;
        m_sink(m_out);
        m_totals.bytes += m_out.size();
        m_out.clear();
    }

    void WriteIr()
    {
        m_out += "IR,";
        m_out += m_opt.payer == Payer::Social ? '1' : '2';
        m_out += ",13,1,";
        AppendPadded(m_out, m_rng.Between(1000000, 9999999), 7);
        m_out += ",,";
        m_institution = m_rng.Below(m_pools.institutions.size());
        m_out += m_pools.institutions[m_institution];
        m_out += ',';
        m_out += m_opt.month;
        m_out += ",00,03-";
        m_telephone.clear();
        AppendPadded(m_telephone, m_rng.Below(10000), 4);
        AppendPadded(m_telephone, m_rng.Below(10000), 4);
        m_out.append(m_telephone, 0, 4);
        m_out += '-';
        m_out.append(m_telephone, 4, 4);
        m_out += "\r\n";
    }

    // Era digit and yymmdd; most patients are Showa or Heisei births.
    void AppendBirthDate(std::string& out, Rng& rng)
    {
        auto r = rng.Below(100);
        if (r < 50) {
            out += '3';
            AppendPadded(out, rng.Between(10, 63), 2);
        } else if (r < 85) {
            out += '4';
            AppendPadded(out, rng.Between(1, 30), 2);
        } else {
            out += '5';
            AppendPadded(out, rng.Between(1, 5), 2);
        }
        AppendPadded(out, rng.Between(1, 12), 2);
        AppendPadded(out, rng.Between(1, 28), 2);
    }

    void AppendDate(std::string& out)
    {
        out += m_opt.month;
        AppendPadded(out, m_rng.Between(1, 28), 2);
    }

    /// A chart number, or that of patient `patient` of the registry (ClaimOptions::patients) from its own source.
    void AppendChartNumber(std::string& out, Rng& rng, std::optional<std::uint64_t> patient)
    {
        if (m_opt.branchedCharts && !patient) {
            // Now and then one whose digits spell another receipt's eight-digit insurer or payer number.
            if (m_eightDigits.size() == 8 && rng.Below(20) == 0) {
                out += m_eightDigits.substr(0, 6) + "-" + m_eightDigits.substr(6);
                return;
            }
            AppendNumber(out, rng.Between(100000, 999999));
            out += '-';
            AppendPadded(out, rng.Between(1, 99), 2);
            return;
        }
        AppendNumber(out, patient ? 10001 + *patient : rng.Between(1, 99999));
        auto r = rng.Below(10);
        if (r < 3) {
            out += '-';
            AppendPadded(out, rng.Between(1, 9), 2);
        } else if (r < 5) {
            out += '/';
            AppendNumber(out, rng.Between(1, 9));
        }
    }

    void AppendDays(std::string& out, const std::array<unsigned, kDays>& days)
    {
        for (auto d : days) {
            out += ',';
            if (d != 0)
                AppendNumber(out, d);
        }
    }

    // SI and IY: kind, burden, code, amount, points, count, three empty comment pairs, one column per day.
    std::uint64_t WriteItem(std::string_view tag, std::string_view kind, std::string_view code, std::string_view amount,
        unsigned points, unsigned count, unsigned dayValue)
    {
        std::array<unsigned, kDays> days {};
        if (dayValue != 0)
            days[m_rng.Below(kDays)] = dayValue;
        else
            for (unsigned i = 0; i < count; ++i)
                ++days[m_rng.Below(kDays)];
        m_body += tag;
        m_body += ',';
        m_body += kind;
        m_body += ",1,";
        m_body += code;
        m_body += ',';
        m_body += amount;
        m_body += ',';
        AppendNumber(m_body, points);
        m_body += ',';
        AppendNumber(m_body, count);
        m_body += ",,,,,,";
        AppendDays(m_body, days);
        m_body += "\r\n";
        return std::uint64_t {points} * count;
    }

    std::uint64_t WriteBody()
    {
        m_body.clear();
        std::uint64_t points = 0;
        const Act& visit = m_rng.OneIn(5) ? kFirstVisit : kRevisit;
        points += WriteItem("SI", visit.kind, visit.code, "", visit.points, 1, 0);
        for (auto i = m_rng.Between(2, 9); i > 0; --i) {
            const Act& a = Pick(m_rng, kActs);
            points += WriteItem("SI", a.kind, a.code, "", a.points, static_cast<unsigned>(m_rng.Between(1, 3)), 0);
        }
        for (auto i = m_rng.Between(1, 6); i > 0; --i) {
            const Drug& d = Pick(m_rng, kDrugs);
            if (d.kind == "21") {
                auto perDay = static_cast<unsigned>(m_rng.Between(7, 30));
                points += WriteItem("IY", d.kind, d.code, d.amount, d.points, perDay, perDay);
            } else {
                points += WriteItem(
                    "IY", d.kind, d.code, d.amount, d.points, static_cast<unsigned>(m_rng.Between(1, 5)), 0);
            }
        }
        for (auto i = m_rng.Below(4); i > 0; --i) {
            m_body += "CO,";
            if (!m_rng.OneIn(3))
                m_body += Pick(m_rng, kActs).kind;
            m_body += ",1,";
            m_body += Pick(m_rng, kCommentCodes);
            m_body += ',';
            m_body += Pick(m_rng, m_pools.comments);
            m_body += "\r\n";
        }
        for (auto i = m_rng.Below(3); i > 0; --i) {
            m_body += "SJ,";
            AppendPadded(m_body, m_rng.OneIn(5) ? 90 : m_rng.Between(1, 5), 2);
            m_body += ',';
            m_body += m_rng.OneIn(1000) ? m_pools.gaijiNote : Pick(m_rng, m_pools.notes);
            m_body += "\r\n";
        }
        return points;
    }

    /// The patient of receipt `number`: from the small lists, or the receipt's own of the distinct names.
    void ChooseName(std::uint64_t number, bool male, Rng& rng)
    {
        Name& n = m_name;
        if (m_opt.distinctNames == 0) {
            const auto family = rng.Below(m_pools.familyKanji.size());
            const auto& givenKanji = male ? m_pools.maleKanji : m_pools.femaleKanji;
            const auto& givenKana = male ? m_pools.maleKana : m_pools.femaleKana;
            const auto given = rng.Below(givenKanji.size());
            n.family = m_pools.familyKanji[family];
            n.familyKana = m_pools.familyKana[family];
            n.given = givenKanji[given];
            n.givenKana = givenKana[given];
            return;
        }
        const Pools& p = m_pools;
        const std::uint64_t families = p.familyFirst.size() * p.familySecond.size();
        const std::uint64_t names = families * p.givenFirst.size() * p.givenSecond.size();
        // A step coprime to the number of names visits every name once before any repeats, spread over all of them.
        constexpr std::uint64_t kStep = 1000003;
        const std::uint64_t index = ((number - 1) % std::min(m_opt.distinctNames, names)) * kStep % names;
        const std::uint64_t family = index % families;
        const std::uint64_t given = index / families;
        const std::size_t f1 = family / p.familySecond.size();
        const std::size_t f2 = family % p.familySecond.size();
        const std::size_t g1 = given / p.givenSecond.size();
        const std::size_t g2 = given % p.givenSecond.size();
        n.family = p.familyFirst[f1] + p.familySecond[f2];
        n.familyKana = p.familyFirstKana[f1] + p.familySecondKana[f2];
        n.given = p.givenFirst[g1] + p.givenSecond[g2];
        n.givenKana = p.givenFirstKana[g1] + p.givenSecondKana[g2];
    }

    void WriteRe(std::uint64_t number)
    {
        // A patient of the registry is drawn from a source of its own, the same in every file.
        std::optional<std::uint64_t> patient;
        std::optional<Rng> patientRng;
        if (m_opt.patients != 0) {
            patient = m_rng.Below(m_opt.patients);
            patientRng.emplace(0x5EED'0000'0000'0000ULL + *patient);
        }
        Rng& who = patientRng ? *patientRng : m_rng;
        const bool male = who.OneIn(2);
        ChooseName(number, male, who);
        if (m_plant == Plant::NameOtherCode) {
            // A family name with 髙, which has two codes.
            m_name.family = m_pools.familyKanji[m_pools.otherCodeFamily];
            m_name.familyKana = m_pools.familyKana[m_pools.otherCodeFamily];
        }
        const bool national = m_opt.payer == Payer::National;

        std::string& o = m_out;
        o += "RE,";
        AppendNumber(o, number);
        o += ',';
        auto type = m_rng.Below(10);
        o += national && type == 0 ? "1318" : type < 6 ? "1112" : type < 9 ? "1116" : "1118";
        o += ',';
        o += m_opt.month;
        o += ',';
        const bool quoted = m_rng.OneIn(50);
        if (quoted)
            o += '"';
        o += m_name.family;
        if (m_rng.OneIn(20))
            o += ' ';
        else
            o += m_pools.wideSpace;
        o += m_name.given;
        if (quoted)
            o += '"';
        o += male ? ",1," : ",2,";
        AppendBirthDate(o, who);
        for (int f = 7; f <= 35; ++f) {
            o += ',';
            switch (f) {
            case 7:
                if (national)
                    o += Pick(m_rng, {"70", "70", "80", "90"});
                break;
            case 10:
                if (m_rng.OneIn(10))
                    o += '1';
                break;
            case 11:
                if (m_rng.OneIn(8))
                    o += Pick(m_rng, {"29", "42", "4142", "01"});
                break;
            case 13:
                AppendChartNumber(o, who, patient);
                break;
            case 21:
            case 22:
                if (m_rng.OneIn(3))
                    AppendPadded(o, m_rng.Between(1, 12), 2);
                break;
            default:
                if (m_rng.OneIn(40))
                    AppendNumber(o, m_rng.Below(10));
                break;
            }
        }
        o += ',';
        o += m_name.familyKana;
        o += ' ';
        o += m_name.givenKana;
        o += ",\r\n";
    }

    void WriteHo(std::uint64_t points, unsigned days)
    {
        std::string& o = m_out;
        o += "HO,";
        std::string& insurer = m_insurer;
        insurer.clear();
        if (m_opt.payer == Payer::Social) {
            insurer += Pick(m_rng, kSocialInsurerPrefixes);
            insurer += "13";
            AppendPadded(insurer, m_rng.Below(10000), 4);
            o += insurer;
            o += ',';
            o += Pick(m_rng, m_pools.socialSymbols);
        } else {
            // National insurers have six digits, the elderly-care ones eight.
            insurer += m_rng.OneIn(5) ? "3913" : "13";
            AppendPadded(insurer, m_rng.Below(10000), 4);
            o += insurer;
            o += ',';
            o += Pick(m_rng, m_pools.nationalSymbols);
        }
        o += ',';
        m_insured.clear();
        // A planted insured number must have the five digits the audit looks for.
        AppendNumber(
            m_insured, m_plant == Plant::InsurerBeforeReceipt ? m_rng.Between(10000, 99999) : m_rng.Between(1, 99999));
        o += m_insured;
        o += ',';
        AppendNumber(o, days);
        o += ',';
        AppendNumber(o, points);
        o += ",,,,,,,,,\r\n";
    }

    void WriteKo(std::uint64_t points, unsigned days)
    {
        std::string& o = m_out;
        o += "KO,";
        m_payer = Pick(m_rng, kPublicPayerPrefixes);
        m_payer += "13";
        AppendPadded(m_payer, m_rng.Below(10000), 4);
        o += m_payer;
        o += ',';
        AppendPadded(o, m_rng.Below(10000000), 7);
        o += ",,";
        AppendNumber(o, days);
        o += ',';
        AppendNumber(o, points);
        o += ',';
        if (m_rng.OneIn(2))
            AppendNumber(o, m_rng.Between(0, 200) * 10);
        o += ",,\r\n";
    }

    void WriteSy(bool main)
    {
        std::string& o = m_out;
        o += "SY,";
        const bool uncoded = m_rng.OneIn(4);
        if (uncoded)
            o += "0000999";
        else
            AppendPadded(o, m_rng.Between(1000000, 8999999), 7);
        o += ',';
        AppendDate(o);
        o += ',';
        auto outcome = m_rng.Below(20);
        o += outcome < 16 ? '1' : outcome < 19 ? '2' : '4';
        o += ',';
        if (m_rng.OneIn(4))
            AppendPadded(o, m_rng.Between(1000, 9999), 4);
        o += ',';
        o += Pick(m_rng, m_pools.diseasePrefixes);
        o += m_rng.OneIn(200) ? m_pools.necDisease : Pick(m_rng, m_pools.diseases);
        o += Pick(m_rng, m_pools.diseaseSuffixes);
        o += main ? ",01,\r\n" : ",,\r\n";
    }

    void WriteReceipt(std::uint64_t number)
    {
        const bool planting = m_opt.plantEvery != 0 && number % m_opt.plantEvery == 0;
        m_plant = planting ? PlantFor(number) : std::nullopt;
        const auto points = WriteBody();
        const auto days = static_cast<unsigned>(m_rng.Between(1, 4));
        m_insurer.clear();
        m_payer.clear();
        const bool hoFirst = m_plant == Plant::InsurerBeforeReceipt;
        if (hoFirst)
            WriteHo(points, days);
        WriteRe(number);
        bool ho = true;
        bool ko = m_rng.OneIn(5);
        if (m_opt.payer == Payer::National && m_rng.OneIn(4)) {
            ho = false;
            ko = true;
        }
        if (ho && !hoFirst)
            WriteHo(points, days);
        if (ko)
            WriteKo(points, days);
        const auto diseases = m_rng.Between(1, 5);
        for (std::uint64_t i = 0; i < diseases; ++i)
            WriteSy(i == 0);
        if (m_plant)
            WritePlant();
        m_out += m_body;
        ++m_totals.receipts;
        m_totals.points += points;
        RememberEightDigits(number);
    }

    /// The next form in turn, unless this receipt cannot show it: a number of another receipt needs one written
    /// at least two receipts before.
    std::optional<Plant> PlantFor(std::uint64_t number)
    {
        auto plant = static_cast<Plant>(m_planted++ % kPlants);
        if (plant == Plant::NumberOfOtherReceipt && (m_eightDigits.empty() || m_eightDigitsReceipt + 2 > number))
            plant = Plant::NumberWithBlank;
        return plant;
    }

    void RememberEightDigits(std::uint64_t number)
    {
        if (!m_eightDigits.empty())
            return;
        if (m_insurer.size() == 8) {
            m_eightDigits = m_insurer;
            m_eightDigitsRecord = "HO";
        } else if (m_payer.size() == 8) {
            m_eightDigits = m_payer;
            m_eightDigitsRecord = "KO";
        } else {
            return;
        }
        m_eightDigitsReceipt = number;
    }

    /// An SY record of an uncoded disease whose name (field 5) or comment (field 7) a person typed.
    void WritePlant()
    {
        static constexpr std::size_t kNameField = 5;
        static constexpr std::size_t kCommentField = 7;
        std::string text;
        std::string comment;
        std::string_view record = "RE";
        std::size_t recordField = 4;
        std::size_t field = kNameField;
        const auto kana
            = [](const std::string& halfWidth, TConversions to) { return Sjis(StrConv(cp932::Decode(halfWidth), to)); };
        const auto number8 = [&](const std::string& digits, bool wide) {
            return wide ? Sjis(StrConv(cp932::Decode(digits), {TConversion::Wide})) : " " + digits;
        };
        switch (*m_plant) {
        case Plant::NameWithoutBlank:
            text = m_name.family + m_name.given + Sjis(u"様の経過");
            break;
        case Plant::NameHalfWidthBlank:
            text = m_name.family + " " + m_name.given + Sjis(u"様");
            break;
        case Plant::NameWithNakaguro:
            text = m_name.family + Sjis(u"・") + m_name.given;
            break;
        case Plant::NameOtherCode: {
            std::string family = m_name.family;
            const std::size_t ibm = family.find("\xFB\xFC");
            family.replace(ibm, 2, "\xEE\xE0");
            text = family + m_pools.wideSpace + m_name.given + Sjis(u"様");
            break;
        }
        case Plant::KanaFullWidth:
            recordField = 36;
            text = kana(m_name.familyKana + m_name.givenKana, {TConversion::Wide}) + Sjis(u"様");
            break;
        case Plant::KanaHiragana: {
            recordField = 36;
            const std::string given = kana(m_name.givenKana, {TConversion::Wide, TConversion::Hiragana});
            // A reading of one character is no part of its own; the whole reading is.
            text = (given.size() >= 4
                           ? given
                           : kana(m_name.familyKana + m_name.givenKana, {TConversion::Wide, TConversion::Hiragana}))
                + Sjis(u"さん");
            break;
        }
        case Plant::NumberWithBlank:
        case Plant::NumberFullWidth:
            field = kCommentField;
            record = m_insurer.empty() ? "KO" : "HO";
            recordField = 1;
            comment = number8(m_insurer.empty() ? m_payer : m_insurer, m_plant == Plant::NumberFullWidth);
            break;
        case Plant::NumberOfOtherReceipt:
            field = kCommentField;
            record = m_eightDigitsRecord;
            recordField = 1;
            comment = m_eightDigits;
            break;
        case Plant::InsurerBeforeReceipt:
            field = kCommentField;
            record = "HO";
            recordField = 3;
            comment = m_insured;
            break;
        case Plant::InstitutionPart:
            record = "IR";
            recordField = 6;
            text = m_pools.institutionParts[m_institution] + Sjis(u"より紹介");
            break;
        case Plant::Telephone: {
            record = "IR";
            recordField = 9;
            const std::string a = m_telephone.substr(0, 4);
            const std::string b = m_telephone.substr(4);
            switch (m_telephones++ % 4) {
            case 0:
                text = "03(" + a + ")" + b;
                break;
            case 1:
                text = Sjis(StrConv(cp932::Decode("03-" + a + "-" + b), {TConversion::Wide}));
                break;
            case 2:
                text = "03" + a + b;
                break;
            default:
                text = "03 " + a + " " + b;
                break;
            }
            text = Sjis(u"連絡先") + text;
            break;
        }
        }
        const std::uint64_t line = NextLine();
        m_out += "SY,0000999,";
        AppendDate(m_out);
        m_out += ",1,,";
        m_out += text.empty() ? Pick(m_rng, m_pools.diseases) : text;
        m_out += ",,";
        m_out += comment;
        m_out += "\r\n";
        m_totals.planted.push_back({line, field, *m_plant, record, recordField});
    }

    struct Name
    {
        std::string family, familyKana, given, givenKana;
    };
    const ClaimOptions& m_opt;
    const std::function<void(std::string_view)>& m_sink;
    Rng m_rng;
    Pools m_pools;
    std::string m_out;
    std::string m_body;
    ClaimTotals m_totals;
    std::uint64_t m_lines = 0; // lines handed to the sink or counted in m_out before m_counted
    std::size_t m_counted = 0;
    // What the current receipt and the file hold, for the plants.
    Name m_name;
    std::size_t m_institution = 0;
    std::string m_telephone; // the eight digits after "03"
    std::string m_insurer, m_insured, m_payer;
    std::optional<Plant> m_plant;
    std::uint64_t m_planted = 0;
    std::uint64_t m_telephones = 0;
    std::string m_eightDigits;
    std::string_view m_eightDigitsRecord;
    std::uint64_t m_eightDigitsReceipt = 0;
};

} // namespace

ClaimTotals GenerateClaims(const ClaimOptions& options, const std::function<void(std::string_view)>& sink)
{
    if (options.month.size() != 5
        || !std::all_of(options.month.begin(), options.month.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw std::invalid_argument("month must be five digits (era, year, month), e.g. 50605");
    return Generator(options, sink).Run();
}

} // namespace plok::testsupport
