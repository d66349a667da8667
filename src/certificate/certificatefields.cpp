// From the certificate's members to the vehicle's fields: texts trimmed, dates
// in the era notation the vehicle list keeps ("令和０８年０４月０９日"), the name
// form the tables can hold, "＊＊＊" replaced by the text it stands for.

#include "certificate/certificate.h"
#include "items/eradate.h"
#include "store/schema.h"
#include "text/codec.h"
#include "text/sjis.h"

#include <QString>

#include <algorithm>
#include <optional>
#include <tuple>

namespace mivora {

namespace {

struct TextMember {
    const char* member;
    const char* field;
};

const TextMember kTextMembers[] = {
    {"EntryNoCarNo", "自動車登録番号"},
    {"Model", "型式"},
    {"CarNo", "車台番号"},
    {"EngineModel", "原動機の型式"},
    {"ModelSpecifyNo", "自動車型式指定番号"},
    {"ClassifyAroundNo", "類別区分番号"},
    {"CarKind", "自動車の種別"},
    {"Use", "用途"},
    {"PrivateBusiness", "自家用事業用の別"},
    {"CarShape", "車体の形状"},
    {"CarName", "車名"},
    {"Cap", "乗車定員"},
    {"Maxloadage", "最大積載量"},
    {"CarWgt", "車両重量"},
    {"CarTotalWgt", "車両総重量"},
    {"Length", "長さ"},
    {"Width", "幅"},
    {"Height", "高さ"},
    {"Displacement", "総排気量又は定格出力"},
    {"FuelClass", "燃料の種類"},
    {"FfAxWgt", "前前軸重"},
    {"FrAxWgt", "前後軸重"},
    {"RfAxWgt", "後前軸重"},
    {"RrAxWgt", "後後軸重"},
    {"NoteInfo", "備考"},
};

struct DateMembers {
    const char* prefix; // followed by E (era), Y, M and D
    const char* field;
    bool withDay;
};

const DateMembers kDateMembers[] = {
    {"Reggrantdate", "登録年月日", true},
    {"Firstregistdate", "初度登録年月", false},
    {"ValidPeriodExpirdate", "有効期間の満了する日", true},
};

// The eras a certificate of a vehicle on the road can name, with their first and
// last days.
struct Era {
    const char* name;
    int offset; // the Western year of the era's year 0
    CivilDate first;
    CivilDate last;
};

const Era kEras[] = {
    {"昭和", 1925, {1926, 12, 25}, {1989, 1, 7}},
    {"平成", 1988, {1989, 1, 8}, {2019, 4, 30}},
    {"令和", 2018, {2019, 5, 1}, {9999, 12, 31}},
};

auto ordered(const CivilDate& date) {
    return std::tie(date.year, date.month, date.day);
}

// A vehicle field's values while they are worked out (UTF-8).
using FieldValues = std::map<std::string, QString>;

class FieldReader {
  public:
    explicit FieldReader(const CertificateMembers& members) : members_(members) {}

    Certificate read();

  private:
    std::optional<QString> member(const std::string& name) const;
    void readTexts();
    void readDate(const DateMembers& date);
    std::optional<QString> eraDate(const DateMembers& date, const std::string& members);
    void readName(const std::string& prefix, const char* field);
    std::optional<QString> address(const std::string& prefix) const;
    void readAddresses();
    void replaceSameAs(const char* field, const char* source, const char* sourceName);
    void note(const std::string& text) { certificate_.notes.push_back(text); }
    Certificate toStoredForm();

    const CertificateMembers& members_;
    FieldValues values_;
    Certificate certificate_;
};

QString trimmed(const std::string& text) {
    return QString::fromStdString(text).trimmed();
}

// "＊＊＊" (or "***"): the same as the field above it on the certificate.
bool meansSameAsAbove(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'*' || c == u'＊'; });
}

QString withoutBlanks(const QString& text) {
    QString kept;
    for (QChar c : text)
        if (!c.isSpace())
            kept += c;
    return kept;
}

// A year, month or day: half- or full-width digits, blanks around them, "元"
// for the first year of an era.
std::optional<int> dateNumber(const QString& text) {
    const QString digits = withoutBlanks(text);
    if (digits == u"元")
        return 1;
    if (digits.isEmpty() || digits.size() > 4)
        return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        if (c.digitValue() < 0 || (c.unicode() >= 0x80 && (c < u'０' || c > u'９')))
            return std::nullopt;
        value = value * 10 + c.digitValue();
    }
    return value;
}

QString fullWidthTwoDigits(int number) {
    QString digits = QString::number(number).rightJustified(2, u'0');
    for (QChar& c : digits)
        c = QChar(u'０' + c.digitValue());
    return digits;
}

const Era* eraNamed(const QString& name) {
    const QString bare = withoutBlanks(name);
    for (const Era& era : kEras)
        if (bare == QString::fromUtf8(era.name))
            return &era;
    return nullptr;
}

// Whether the day (or, without one, some day of the month) lies in the era.
bool withinEra(const Era& era, int year, int month, std::optional<int> day) {
    const CivilDate latest{year, month, day.value_or(daysInMonth(year, month))};
    const CivilDate earliest{year, month, day.value_or(1)};
    return ordered(latest) >= ordered(era.first) && ordered(earliest) <= ordered(era.last);
}

std::optional<QString> FieldReader::member(const std::string& name) const {
    const auto found = members_.find(name);
    if (found == members_.end())
        return std::nullopt;
    return trimmed(found->second);
}

void FieldReader::readTexts() {
    for (const TextMember& text : kTextMembers)
        if (auto value = member(text.member))
            values_[text.field] = *value;
}

void FieldReader::readDate(const DateMembers& date) {
    const std::string prefix = date.prefix;
    std::vector<std::optional<QString>> parts;
    for (const char* part : {"E", "Y", "M", "D"})
        if (date.withDay || *part != 'D')
            parts.push_back(member(prefix + part));
    if (std::none_of(parts.begin(), parts.end(), [](const auto& part) { return part.has_value(); }))
        return; // the certificate does not speak of this date
    if (std::all_of(parts.begin(), parts.end(),
                    [](const auto& part) { return !part || part->isEmpty(); })) {
        values_[date.field] = QString();
        return;
    }
    const std::string names = prefix + (date.withDay ? "E/Y/M/D" : "E/Y/M");
    if (auto text = eraDate(date, names))
        values_[date.field] = *text;
}

std::optional<QString> FieldReader::eraDate(const DateMembers& date, const std::string& names) {
    const std::string prefix = date.prefix;
    const QString eraName = member(prefix + "E").value_or(QString());
    const auto year = dateNumber(member(prefix + "Y").value_or(QString()));
    const auto month = dateNumber(member(prefix + "M").value_or(QString()));
    const auto day =
        date.withDay ? dateNumber(member(prefix + "D").value_or(QString())) : std::optional<int>(1);
    const std::string skipped = std::string("この日付は") + date.field + "に書き込みません。";
    const Era* era = eraNamed(eraName);
    if (!era) {
        note(names + ": 元号「" + eraName.toStdString() + "」を読めません。" + skipped);
        return std::nullopt;
    }
    const auto shown = [&](const char* part) {
        return member(prefix + part).value_or(QString()).toStdString();
    };
    const std::string written = eraName.toStdString() + shown("Y") + "年" + shown("M") + "月" +
                                (date.withDay ? shown("D") + "日" : "");
    const int western = year ? era->offset + *year : 0;
    if (!year || !month || !day || *year < 1 || !makeDate(western, *month, *day) ||
        !withinEra(*era, western, *month, date.withDay ? day : std::nullopt)) {
        note(names + ": " + written + " という日付はありません。" + skipped);
        return std::nullopt;
    }
    QString text = QString::fromUtf8(era->name) + fullWidthTwoDigits(*year) + u'年' +
                   fullWidthTwoDigits(*month) + u'月';
    if (date.withDay)
        text += fullWidthTwoDigits(*day) + u'日';
    return text;
}

bool storable(const QString& text) {
    try {
        fromUtf8(text.toStdString());
        return true;
    } catch (const ConversionError&) {
        return false;
    }
}

// The name in the full character repertoire when the tables can hold all of it,
// else in the repertoire of the common characters.
void FieldReader::readName(const std::string& prefix, const char* field) {
    const auto high = member(prefix + "HighLevelChar");
    const auto low = member(prefix + "LowLevelChar");
    if (!high && !low)
        return;
    const QString full = high.value_or(QString());
    const QString common = low.value_or(QString());
    const bool useFull = !full.isEmpty() && (storable(full) || common.isEmpty());
    values_[field] = useFull ? full : common;
    if (full.isEmpty() || common.isEmpty() || full == common)
        return;
    if (useFull)
        note(std::string(field) + ": 表記「" + full.toStdString() + "」を書き込みます (" + prefix +
             "LowLevelChar の表記は「" + common.toStdString() + "」)。");
    else
        note(std::string(field) + ": 表記「" + full.toStdString() +
             "」には Shift-JIS で表せない文字があるため、「" + common.toStdString() +
             "」を書き込みます。");
}

// The address and its block and house number, joined as the certificate prints them.
std::optional<QString> FieldReader::address(const std::string& prefix) const {
    const auto place = member(prefix + "Char");
    const auto number = member(prefix + "NumValue");
    if (!place && !number)
        return std::nullopt;
    if (meansSameAsAbove(place.value_or(QString())))
        return place; // the number, if any, stands for the same
    return place.value_or(QString()) + number.value_or(QString());
}

void FieldReader::readAddresses() {
    const std::pair<const char*, const char*> addresses[] = {
        {"OwnerAddress", "所有者住所"},
        {"UserAddress", "使用者住所"},
        {"Useheadqrter", "使用の本拠の位置"},
    };
    for (const auto& [prefix, field] : addresses)
        if (auto text = address(prefix))
            values_[field] = *text;
}

void FieldReader::replaceSameAs(const char* field, const char* source, const char* sourceName) {
    const auto found = values_.find(field);
    if (found == values_.end() || !meansSameAsAbove(found->second))
        return;
    found->second = values_.count(source) ? values_[source] : QString();
    note(std::string(field) + ": 「" + "＊＊＊" + "」は" + sourceName + "と同じという意味のため、" +
         source + "の「" + found->second.toStdString() + "」を書き込みます。");
}

Certificate FieldReader::toStoredForm() {
    for (const std::string& field : vehicleFieldNames()) {
        const auto found = values_.find(field);
        if (found == values_.end())
            continue;
        try {
            certificate_.fields.push_back({sj(field), fromUtf8(found->second.toStdString())});
        } catch (const ConversionError& error) {
            note(field + ": " + error.what() + "この項目は書き込みません。");
        }
    }
    return std::move(certificate_);
}

Certificate FieldReader::read() {
    readTexts();
    for (const DateMembers& date : kDateMembers)
        readDate(date);
    readName("Ownername", "所有者");
    readName("Username", "使用者");
    readAddresses();
    replaceSameAs("使用者", "所有者", "所有者");
    replaceSameAs("使用者住所", "所有者住所", "所有者");
    replaceSameAs("使用の本拠の位置", "使用者住所", "使用者の住所");
    if (member("CarNo").value_or(QString()).isEmpty())
        throw CertificateError("車台番号 (CarNo) がありません。");
    Certificate certificate = toStoredForm();
    if (!certificate.valueOf(sj("車台番号")))
        throw CertificateError("車台番号 (CarNo) を Shift-JIS で表せないため、車両を探せません。");
    return certificate;
}

} // namespace

const std::string& Certificate::chassisNumber() const {
    static const std::string none;
    const std::string* value = valueOf(sj("車台番号"));
    return value ? *value : none;
}

const std::string* Certificate::valueOf(const std::string& field) const {
    for (const CertificateField& entry : fields)
        if (entry.name == field)
            return &entry.value;
    return nullptr;
}

Certificate vehicleFieldsOf(const CertificateMembers& members) {
    return FieldReader(members).read();
}

} // namespace mivora
