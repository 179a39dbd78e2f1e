#include "testsupport/ClaimGenerator.h"

#include "core/Cp932.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// Encoding goes through the codec once up front so that generation itself is plain byte copying.
struct Pools
{
    std::vector<std::string> familyKanji, familyKana;
    std::vector<std::string> maleKanji, maleKana;
    std::vector<std::string> femaleKanji, femaleKana;
    std::vector<std::string> institutions, socialSymbols, nationalSymbols;
    std::vector<std::string> diseases, diseasePrefixes, diseaseSuffixes, notes, comments;
    std::string necDisease, gaijiNote, wideSpace;

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
    {
        for (const auto& n : kFamilyNames) {
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
    void Flush()
    {
        if (m_out.empty())
            return;
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
        m_out += Pick(m_rng, m_pools.institutions);
        m_out += ',';
        m_out += m_opt.month;
        m_out += ",00,03-";
        AppendPadded(m_out, m_rng.Below(10000), 4);
        m_out += '-';
        AppendPadded(m_out, m_rng.Below(10000), 4);
        m_out += "\r\n";
    }

    // Era digit and yymmdd; most patients are Showa or Heisei births.
    void AppendBirthDate(std::string& out)
    {
        auto r = m_rng.Below(100);
        if (r < 50) {
            out += '3';
            AppendPadded(out, m_rng.Between(10, 63), 2);
        } else if (r < 85) {
            out += '4';
            AppendPadded(out, m_rng.Between(1, 30), 2);
        } else {
            out += '5';
            AppendPadded(out, m_rng.Between(1, 5), 2);
        }
        AppendPadded(out, m_rng.Between(1, 12), 2);
        AppendPadded(out, m_rng.Between(1, 28), 2);
    }

    void AppendDate(std::string& out)
    {
        out += m_opt.month;
        AppendPadded(out, m_rng.Between(1, 28), 2);
    }

    void AppendChartNumber(std::string& out)
    {
        AppendNumber(out, m_rng.Between(1, 99999));
        auto r = m_rng.Below(10);
        if (r < 3) {
            out += '-';
            AppendPadded(out, m_rng.Between(1, 9), 2);
        } else if (r < 5) {
            out += '/';
            AppendNumber(out, m_rng.Between(1, 9));
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

    void WriteRe(std::uint64_t number)
    {
        const bool male = m_rng.OneIn(2);
        auto family = m_rng.Below(m_pools.familyKanji.size());
        const auto& givenKanji = male ? m_pools.maleKanji : m_pools.femaleKanji;
        const auto& givenKana = male ? m_pools.maleKana : m_pools.femaleKana;
        auto given = m_rng.Below(givenKanji.size());
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
        o += m_pools.familyKanji[family];
        if (m_rng.OneIn(20))
            o += ' ';
        else
            o += m_pools.wideSpace;
        o += givenKanji[given];
        if (quoted)
            o += '"';
        o += male ? ",1," : ",2,";
        AppendBirthDate(o);
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
                AppendChartNumber(o);
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
        o += m_pools.familyKana[family];
        o += ' ';
        o += givenKana[given];
        o += ",\r\n";
    }

    void WriteHo(std::uint64_t points, unsigned days)
    {
        std::string& o = m_out;
        o += "HO,";
        if (m_opt.payer == Payer::Social) {
            o += Pick(m_rng, kSocialInsurerPrefixes);
            o += "13";
            AppendPadded(o, m_rng.Below(10000), 4);
            o += ',';
            o += Pick(m_rng, m_pools.socialSymbols);
        } else {
            // National insurers have six digits, the elderly-care ones eight.
            if (m_rng.OneIn(5))
                o += "3913";
            else
                o += "13";
            AppendPadded(o, m_rng.Below(10000), 4);
            o += ',';
            o += Pick(m_rng, m_pools.nationalSymbols);
        }
        o += ',';
        AppendNumber(o, m_rng.Between(1, 99999));
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
        o += Pick(m_rng, kPublicPayerPrefixes);
        o += "13";
        AppendPadded(o, m_rng.Below(10000), 4);
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
        const auto points = WriteBody();
        const auto days = static_cast<unsigned>(m_rng.Between(1, 4));
        WriteRe(number);
        bool ho = true;
        bool ko = m_rng.OneIn(5);
        if (m_opt.payer == Payer::National && m_rng.OneIn(4)) {
            ho = false;
            ko = true;
        }
        if (ho)
            WriteHo(points, days);
        if (ko)
            WriteKo(points, days);
        const auto diseases = m_rng.Between(1, 5);
        for (std::uint64_t i = 0; i < diseases; ++i)
            WriteSy(i == 0);
        m_out += m_body;
        ++m_totals.receipts;
        m_totals.points += points;
    }

    const ClaimOptions& m_opt;
    const std::function<void(std::string_view)>& m_sink;
    Rng m_rng;
    Pools m_pools;
    std::string m_out;
    std::string m_body;
    ClaimTotals m_totals;
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
