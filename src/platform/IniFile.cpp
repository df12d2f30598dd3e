#include "IniFile.h"

#include "model/Text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#include <string_view>

namespace vantor {

namespace {

constexpr std::size_t kNone = std::string::npos;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool isLineSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isLineSpecial(char c)
{
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}
bool isNewline(char c)
{
    return c == '\n' || c == '\r';
}

// One logical line as QSettings splits an INI text: a quoted part and a backslash before a line end
// continue it over several physical lines; a ";" outside quotes ends it (what follows is a comment);
// comment lines and blank lines are skipped.
struct Line {
    std::size_t start = 0;
    std::size_t end = 0; // exclusive: at the line end, at the ";" of a trailing comment, or at the end
    std::size_t equals = kNone;
};

bool nextLine(std::string_view data, std::size_t& position, Line& line)
{
    const std::size_t size = data.size();
    bool inQuotes = false;
    line.equals = kNone;
    std::size_t start = position;
    while (start < size && isLineSpace(data[start]))
        ++start;
    std::size_t i = start;
    while (i < size) {
        while (!isLineSpecial(data[i])) {
            if (++i == size)
                goto done;
        }
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && line.equals == kNone)
                line.equals = i - 1;
        } else if (isNewline(c)) {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                goto done;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = data[i++];
                if (i < size) {
                    const char next = data[i];
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                }
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (i == start + 1) { // ';' opening a comment line
            while (i < size && !isNewline(data[i]))
                ++i;
            while (i < size && isLineSpace(data[i]))
                ++i;
            start = i;
        } else if (!inQuotes) { // ';' opening a trailing comment
            --i;
            goto done;
        }
    }
done:
    position = i;
    line.start = start;
    line.end = i;
    return i > start;
}

QByteArrayView view(std::string_view data, std::size_t from, std::size_t to)
{
    return QByteArrayView(data.data() + from, static_cast<qsizetype>(to - from));
}

// "%XX" and "%UXXXX" stand for characters outside [A-Za-z0-9_.-], "\" for "/".
QString unescapedKey(QByteArrayView raw)
{
    const QString decoded = QString::fromUtf8(raw);
    QString key;
    qsizetype i = 0;
    while (i < decoded.size()) {
        const char16_t c = decoded.at(i).unicode();
        if (c == '\\') {
            key += u'/';
            ++i;
            continue;
        }
        if (c != '%' || i == decoded.size() - 1) {
            key += QChar(c);
            ++i;
            continue;
        }
        int digits = 2;
        qsizetype first = i + 1;
        if (decoded.at(i + 1) == u'U') {
            ++first;
            digits = 4;
        }
        bool ok = false;
        const ushort code = first + digits > decoded.size()
            ? 0
            : QStringView(decoded).sliced(first, digits).toUShort(&ok, 16);
        if (!ok) {
            key += u'%';
            ++i;
            continue;
        }
        key += QChar(code);
        i = first + digits;
    }
    return key;
}

QByteArray escapedKey(const QString& key)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    QByteArray result;
    for (const QChar qc : key) {
        uint c = qc.unicode();
        if (c == '/') {
            result += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
            || c == '-' || c == '.') {
            result += static_cast<char>(c);
        } else if (c <= 0xFF) {
            result += '%';
            result += hex[c / 16];
            result += hex[c % 16];
        } else {
            result += "%U";
            char code[4];
            for (int j = 3; j >= 0; --j) {
                code[j] = hex[c % 16];
                c >>= 4;
            }
            result.append(code, 4);
        }
    }
    return result;
}

void chopTrailingBlanks(QString& text, qsizetype limit)
{
    qsizetype n = text.size() - 1;
    while (n >= limit && (text.at(n) == u' ' || text.at(n) == u'\t'))
        text.truncate(n--);
}

// QSettings' value syntax: blanks around the value dropped unless quoted, C-like escapes, quoted parts
// that keep ";", "=", "," and blanks, and an unquoted "," that makes the value a list.
struct RawValue {
    QString text;
    bool isList = false;
};

RawValue unescapedValue(QByteArrayView data)
{
    RawValue value;
    QString& text = value.text;
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    const qsizetype size = data.size();
    qsizetype i = 0;
    bool inQuotes = false;
    bool quoted = false;
    auto skipBlanks = [&] {
        while (i < size && (data[i] == ' ' || data[i] == '\t'))
            ++i;
    };
    // Reads the digits of a \x or octal escape; false when the data ended inside it.
    auto numericEscape = [&](int base, char16_t code) {
        while (i < size) {
            const int digit = hexDigitValue(data[i]);
            if (digit < 0 || digit >= base) {
                text += QChar(code);
                return true;
            }
            code = static_cast<char16_t>(code * base + digit);
            ++i;
        }
        text += QChar(code);
        return false;
    };

    skipBlanks();
    qsizetype chopLimit = 0;
    while (i < size) {
        const char c = data[i];
        if (c == '\\') {
            ++i;
            if (i >= size)
                return value;
            const char escaped = data[i++];
            static constexpr std::string_view named = "abfnrtv\"?'\\";
            static constexpr std::string_view meaning = "\a\b\f\n\r\t\v\"?'\\";
            if (const std::size_t k = named.find(escaped); k != std::string_view::npos) {
                text += QLatin1Char(meaning[k]);
            } else if (escaped == 'x') {
                if (i >= size)
                    return value;
                if (hexDigitValue(data[i]) >= 0 && !numericEscape(16, 0))
                    return value;
            } else if (escaped >= '0' && escaped <= '7') {
                if (!numericEscape(8, static_cast<char16_t>(escaped - '0')))
                    return value;
            } else if (isNewline(escaped)) {
                if (i < size && isNewline(data[i]) && data[i] != escaped)
                    ++i;
            }
            chopLimit = text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = text.size();
            }
        } else if (c == ',' && !inQuotes) {
            // Only the fact that it is a list matters here: lists are not text.
            value.isList = true;
            text.clear();
            quoted = false;
            ++i;
            skipBlanks();
            chopLimit = 0;
        } else {
            qsizetype j = i + 1;
            while (j < size && data[j] != '\\' && data[j] != '"' && data[j] != ',')
                ++j;
            text += fromUtf8(data.sliced(i, j - i));
            i = j;
        }
    }
    if (!quoted)
        chopTrailingBlanks(text, chopLimit);
    return value;
}

// Counts the space-separated arguments of "@Rect(1 2 3 4)" the way QSettings does before it accepts
// the text as a geometry value.
qsizetype argumentCount(const QString& text, qsizetype open)
{
    qsizetype count = 0;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        if (text.at(i) == u')' || text.at(i) == u' ')
            ++count;
    }
    return count;
}

IniFile::Value typedValue(const RawValue& raw)
{
    using Type = IniFile::ValueType;
    if (raw.isList)
        return { Type::NotText, {} };
    const QString& s = raw.text;
    if (s.startsWith(u'@')) {
        if (s.endsWith(u')')) {
            if (s.startsWith(u"@ByteArray(") || s.startsWith(u"@Variant(") || s.startsWith(u"@DateTime(")
                || s == u"@Invalid()")
                return { Type::NotText, {} };
            if (s.startsWith(u"@String("))
                return { Type::Text, s.sliced(8).chopped(1).toStdString() };
            if ((s.startsWith(u"@Rect(") && argumentCount(s, 5) == 4)
                || (s.startsWith(u"@Size(") && argumentCount(s, 5) == 2)
                || (s.startsWith(u"@Point(") && argumentCount(s, 6) == 2))
                return { Type::NotText, {} };
        }
        if (s.startsWith(u"@@"))
            return { Type::Text, s.sliced(1).toStdString() };
    }
    return { Type::Text, s.toStdString() };
}

QByteArray escapedValue(const std::string& utf8)
{
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    // QSettings' own markers for text that would otherwise read as something else.
    if (text.contains(QChar::Null))
        text = QStringLiteral("@String(") + text + u')';
    else if (text.startsWith(u'@'))
        text.prepend(u'@');

    QByteArray result;
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        // "\x1" followed by "f" would read back as "\x1f".
        if (escapeNextIfHexDigit && c < 0x80 && hexDigitValue(static_cast<char>(c)) >= 0) {
            result += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfHexDigit = false;
        switch (c) {
        case 0:
            result += "\\0";
            escapeNextIfHexDigit = true;
            break;
        case '\a':
            result += "\\a";
            break;
        case '\b':
            result += "\\b";
            break;
        case '\f':
            result += "\\f";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\v':
            result += "\\v";
            break;
        case '"':
        case '\\':
            result += '\\';
            result += static_cast<char>(c);
            break;
        default:
            if (c <= 0x1F) {
                result += "\\x" + QByteArray::number(c, 16);
                escapeNextIfHexDigit = true;
            } else {
                // Stateful: the two halves of a surrogate pair come one after the other.
                result += toUtf8(QStringView(&qc, 1));
            }
        }
    }
    if (needsQuotes || (!result.isEmpty() && (result.front() == ' ' || result.back() == ' '))) {
        result.prepend('"');
        result += '"';
    }
    return result;
}

bool isGeneralSection(std::string_view data, const Line& line)
{
    const QByteArrayView text = view(data, line.start, line.end);
    qsizetype close = text.indexOf(']');
    if (close < 0)
        close = text.size();
    return text.sliced(1, close - 1).trimmed().compare("general", Qt::CaseInsensitive) == 0;
}

// Where `name` stands in the top-level part of the file, and where a new key would go: after the last
// key line of the first top-level region (the lines before any section, or the first [General]).
struct Lookup {
    std::optional<Line> match;
    std::optional<std::size_t> insertAfter;
};

Lookup find(std::string_view data, std::size_t from, const QString& name)
{
    Lookup lookup;
    bool topLevel = true;
    bool inFirstRegion = false;
    std::size_t position = from;
    Line line;
    while (nextLine(data, position, line)) {
        if (data[line.start] == '[') {
            topLevel = isGeneralSection(data, line);
            inFirstRegion = topLevel && !lookup.insertAfter;
            if (inFirstRegion)
                lookup.insertAfter = line.end;
            continue;
        }
        if (!topLevel || line.equals == kNone)
            continue;
        if (!lookup.insertAfter)
            inFirstRegion = true;
        if (inFirstRegion)
            lookup.insertAfter = line.end;
        if (unescapedKey(view(data, line.start, line.equals).trimmed()) == name)
            lookup.match = line;
    }
    return lookup;
}

// Past the physical end of the line that contains `position` (a trailing comment included).
std::size_t afterPhysicalLine(std::string_view data, std::size_t position)
{
    while (position < data.size() && !isNewline(data[position]))
        ++position;
    if (position < data.size() && data[position] == '\r')
        ++position;
    if (position < data.size() && data[position] == '\n' && data[position - 1] != '\n')
        ++position;
    return position;
}

std::string_view lineEnding(std::string_view data)
{
    const std::size_t newline = data.find('\n');
    return newline != std::string_view::npos && newline > 0 && data[newline - 1] == '\r' ? "\r\n" : "\n";
}

} // namespace

IniFile::IniFile(std::string bytes)
    : m_bytes(std::move(bytes))
{
}

IniFile::Value IniFile::value(const std::string& name) const
{
    const std::string_view data = m_bytes;
    const std::size_t from = data.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
    const Lookup lookup = find(data, from, QString::fromStdString(name));
    if (!lookup.match)
        return {};
    return typedValue(unescapedValue(view(data, lookup.match->equals + 1, lookup.match->end)));
}

std::string IniFile::withValue(const std::string& name, const std::string& value) const
{
    const std::string_view data = m_bytes;
    const std::size_t from = data.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
    const QString key = QString::fromStdString(name);
    const Lookup lookup = find(data, from, key);
    const QByteArray escaped = escapedValue(value);
    const std::string_view eol = lineEnding(data);

    if (lookup.match) {
        // The key, the "=" and the blanks after it stay; the old value's text is replaced.
        std::size_t valueStart = lookup.match->equals + 1;
        while (valueStart < lookup.match->end && (data[valueStart] == ' ' || data[valueStart] == '\t'))
            ++valueStart;
        std::string result(data.substr(0, valueStart));
        result.append(escaped.constData(), static_cast<std::size_t>(escaped.size()));
        result.append(data.substr(lookup.match->end));
        return result;
    }

    const QByteArray newLine = escapedKey(key) + '=' + escaped;
    std::string result;
    if (lookup.insertAfter) {
        const std::size_t at = afterPhysicalLine(data, *lookup.insertAfter);
        result.append(data.substr(0, at));
        if (at > 0 && !isNewline(data[at - 1]))
            result.append(eol);
        result.append(newLine.constData(), static_cast<std::size_t>(newLine.size()));
        result.append(eol);
        result.append(data.substr(at));
        return result;
    }

    result = m_bytes;
    if (result.size() > from) {
        if (!isNewline(result.back()))
            result.append(eol);
        result.append(eol);
    }
    result.append("[General]");
    result.append(eol);
    result.append(newLine.constData(), static_cast<std::size_t>(newLine.size()));
    result.append(eol);
    return result;
}

} // namespace vantor
