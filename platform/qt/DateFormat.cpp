#include "platform/DateFormat.h"

#include "platform/LastError.h"
#include "platform/Time.h"
#include "platform/qt/TextCodec.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

namespace {

bool IsCLocale(std::string_view name) { return name.empty() || name == "C" || name == "POSIX"; }

// The POSIX locale in force for time formatting, e.g. "sv_SE.UTF-8": the
// first of LC_ALL, LC_TIME and LANG that is set. One walk over the
// environment instead of three getenv calls, as every format call asks.
const char* UserTimeLocaleName()
{
    const char* all = nullptr;
    const char* time = nullptr;
    const char* lang = nullptr;
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* e = *entry;
        if (e[0] != 'L')
            continue;
        if (e[1] == 'C' && e[2] == '_') {
            if (!all && std::strncmp(e + 3, "ALL=", 4) == 0) {
                all = e + 7;
                if (*all)
                    return all;  // nothing comes before it
            } else if (!time && std::strncmp(e + 3, "TIME=", 5) == 0) {
                time = e + 8;
            }
        } else if (!lang && std::strncmp(e + 1, "ANG=", 4) == 0) {
            lang = e + 5;
        }
    }
    if (time && *time)
        return time;
    if (lang && *lang)
        return lang;
    return "C";
}

// The locale's name without codeset and modifier: "sv_SE.UTF-8@euro" -> "sv_SE".
std::string_view BaseLocaleName(const char* name)
{
    std::size_t n = 0;
    while (name[n] && name[n] != '.' && name[n] != '@')
        ++n;
    return std::string_view(name, n);
}

QString Win32TimePicture(const QString& qt);

// The user's locale as last resolved: a list refresh formats every row, and
// building a QLocale from its name each time costs more than the formatting.
struct ResolvedLocale {
    std::string name;
    QLocale locale;
    bool isC = true;
    QString shortDate, longDate, longTime;  // the locale's pictures
};

const ResolvedLocale& UserLocale()
{
    static ResolvedLocale cache;
    static bool valid = false;
    const std::string_view name = BaseLocaleName(UserTimeLocaleName());
    if (valid && name == cache.name)
        return cache;
    cache = ResolvedLocale();
    cache.name = name;
    cache.isC = IsCLocale(name);
    if (!cache.isC) {
        cache.locale = QLocale(QString::fromStdString(cache.name));
        cache.isC = cache.locale.language() == QLocale::C;
    }
    if (!cache.isC) {
        cache.shortDate = cache.locale.dateFormat(QLocale::ShortFormat);
        cache.longDate = cache.locale.dateFormat(QLocale::LongFormat);
        cache.longTime = Win32TimePicture(cache.locale.timeFormat(QLocale::LongFormat));
    }
    valid = true;
    return cache;
}

// The locale a call names, or null for one that is not supported.
const ResolvedLocale* ResolveLocale(LCID lcid)
{
    static const ResolvedLocale invariant;
    if (lcid == LOCALE_INVARIANT)
        return &invariant;
    if (lcid != LOCALE_USER_DEFAULT && lcid != LOCALE_SYSTEM_DEFAULT && lcid != 0)
        return nullptr;
    return &UserLocale();
}

SYSTEMTIME Now()
{
    SYSTEMTIME st{};
    CTime(std::time(nullptr)).GetAsSystemTime(st);
    return st;
}

// Counts how often the letter at i repeats.
int RunLength(const QString& f, int i)
{
    int n = 1;
    while (i + n < f.size() && f[i + n] == f[i])
        ++n;
    return n;
}

// Texts are built in UTF-16 in a buffer that keeps its room between calls.
using Text = std::u16string;

void Append(Text& out, const QString& s) { out.append(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())); }

// Appends quoted text starting at f[i] == '\''; returns the index behind it.
int AppendQuoted(const QString& f, int i, Text& out)
{
    ++i;
    while (i < f.size()) {
        if (f[i] == u'\'') {
            if (i + 1 < f.size() && f[i + 1] == u'\'') {
                out += u'\'';
                i += 2;
                continue;
            }
            return i + 1;
        }
        out += f[i++].unicode();
    }
    return i;
}

// Appends v in decimal, padded with zeros to at least width digits.
void AppendNumber(Text& out, int v, int width)
{
    char16_t digits[12];
    int n = 0;
    unsigned u = unsigned(v < 0 ? -v : v);
    do {
        digits[n++] = char16_t(u'0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0)
        out += u'-';
    for (int pad = n; pad < width; ++pad)
        out += u'0';
    while (n)
        out += digits[--n];
}

void FormatDatePicture(const QString& f, const SYSTEMTIME& st, const QLocale& locale, bool isC, Text& out)
{
    const QLocale& names = isC ? QLocale::c() : locale;
    out.clear();
    int i = 0;
    while (i < f.size()) {
        QChar c = f[i];
        if (c == u'\'') {
            i = AppendQuoted(f, i, out);
            continue;
        }
        int n = RunLength(f, i);
        if (c == u'd') {
            if (n <= 2)
                AppendNumber(out, st.wDay, n);
            else
                Append(out, names.dayName(QDate(st.wYear, st.wMonth, st.wDay).dayOfWeek(),
                                          n == 3 ? QLocale::ShortFormat : QLocale::LongFormat));
        } else if (c == u'M') {
            if (n <= 2)
                AppendNumber(out, st.wMonth, n);
            else
                Append(out, names.monthName(st.wMonth, n == 3 ? QLocale::ShortFormat : QLocale::LongFormat));
        } else if (c == u'y') {
            if (n <= 2) AppendNumber(out, st.wYear % 100, n);
            else AppendNumber(out, st.wYear, 4);
        } else if (c == u'g') {
            // No eras in the Gregorian calendar used here.
        } else {
            out.append(size_t(n), c.unicode());
        }
        i += n;
    }
}

void FormatTimePicture(const QString& f, const SYSTEMTIME& t, DWORD flags, const QLocale& locale, bool isC,
                       Text& out)
{
    bool force24 = flags & TIME_FORCE24HOURFORMAT;
    bool noMarker = flags & TIME_NOTIMEMARKER;
    bool noMinutes = flags & TIME_NOMINUTESORSECONDS;
    bool noSeconds = noMinutes || (flags & TIME_NOSECONDS);
    out.clear();
    int i = 0;
    while (i < f.size()) {
        QChar c = f[i];
        if (c == u'\'') {
            i = AppendQuoted(f, i, out);
            continue;
        }
        int n = RunLength(f, i);
        bool dropped = (noSeconds && c == u's') || (noMinutes && c == u'm') || ((noMarker || force24) && c == u't');
        if (dropped) {
            // Drops the separator written before the removed field too.
            while (!out.empty() && !QChar(out.back()).isLetterOrNumber())
                out.pop_back();
        } else if (c == u'h' || c == u'H') {
            int hour = t.wHour;
            if (c == u'h' && !force24) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            AppendNumber(out, hour, std::min(n, 2));
        } else if (c == u'm') {
            AppendNumber(out, t.wMinute, std::min(n, 2));
        } else if (c == u's') {
            AppendNumber(out, t.wSecond, std::min(n, 2));
        } else if (c == u't') {
            const QString marker = isC            ? QString::fromLatin1(t.wHour < 12 ? "AM" : "PM")
                                   : t.wHour < 12 ? locale.amText()
                                                  : locale.pmText();
            Append(out, n >= 2 ? marker : marker.left(1));
        } else {
            out.append(size_t(n), c.unicode());
        }
        i += n;
    }
    // Trims white space at both ends, as QString::trimmed does.
    while (!out.empty() && QChar(out.back()).isSpace())
        out.pop_back();
    size_t lead = 0;
    while (lead < out.size() && QChar(out[lead]).isSpace())
        ++lead;
    out.erase(0, lead);
}

// Qt's time format in Win32 letters: hours with AP are 12-hour, without it
// 24-hour; the zone and milliseconds are not part of a Win32 time.
QString Win32TimePicture(const QString& qt)
{
    bool twelve = qt.contains(u'A') || qt.contains(u'a');
    QString out;
    int i = 0;
    while (i < qt.size()) {
        QChar c = qt[i];
        if (c == u'\'') {
            int start = i;
            Text dummy;
            i = AppendQuoted(qt, i, dummy);
            out += qt.mid(start, i - start);
            continue;
        }
        int n = RunLength(qt, i);
        if (c == u'h' || c == u'H')
            out += QString(qMin(n, 2), twelve ? u'h' : u'H');
        else if (c == u'A' || c == u'a')
            out += QStringLiteral("tt");
        else if (c == u'p' || c == u'P')
            ;  // the second letter of AP
        else if (c == u't' || c == u'z') {
            while (!out.isEmpty() && (out.back() == u' ' || out.back() == u'.'))
                out.chop(1);
        } else
            out += QString(n, c);
        i += n;
    }
    return out.trimmed();
}

int CopyResult(const Text& text, LPSTR buffer, int size)
{
    const char16_t* chars = text.data();
    const size_t length = text.size();
    const bool ascii = std::all_of(chars, chars + length, [](char16_t c) { return c < 0x80; });
    QByteArray bytes;
    if (!ascii)
        bytes = ToAnsi(QString::fromUtf16(chars, qsizetype(length)));
    const int needed = int(ascii ? length : bytes.size()) + 1;
    if (size == 0)
        return needed;
    if (!buffer || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (ascii) {
        // Most dates and times: no encoder and no second buffer.
        std::transform(chars, chars + length, buffer, [](char16_t c) { return char(c); });
        buffer[length] = '\0';
    } else {
        std::memcpy(buffer, bytes.constData(), std::size_t(needed));
    }
    return needed;
}

// Reused by every call: a list refresh formats two texts for each row.
Text& Scratch()
{
    thread_local Text text;
    return text;
}

}  // namespace

int GetDateFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCSTR lpFormat, LPSTR lpDateStr,
                   int cchDate)
{
    if (cchDate < 0 || (cchDate > 0 && !lpDateStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD flags = dwFlags & ~LOCALE_NOUSEROVERRIDE;
    if ((flags & DATE_SHORTDATE) && (flags & DATE_LONGDATE)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    const ResolvedLocale* locale = ResolveLocale(Locale);
    if (!locale) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEMTIME st = lpDate ? *lpDate : Now();
    if (!QDate::isValid(st.wYear, st.wMonth, st.wDay) || st.wYear < 1601) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static const QString kIsoDate = QStringLiteral("yyyy-MM-dd");
    static const QString kIsoLongDate = QStringLiteral("dddd, d MMMM yyyy");
    const bool longDate = flags & DATE_LONGDATE;
    QString custom;
    const QString* picture = nullptr;
    if (lpFormat)
        picture = &(custom = FromAnsi(lpFormat));
    else if (locale->isC)
        picture = longDate ? &kIsoLongDate : &kIsoDate;
    else
        picture = longDate ? &locale->longDate : &locale->shortDate;
    Text& text = Scratch();
    FormatDatePicture(*picture, st, locale->locale, locale->isC, text);
    return CopyResult(text, lpDateStr, cchDate);
}

int GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                   int cchTime)
{
    if (cchTime < 0 || (cchTime > 0 && !lpTimeStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const ResolvedLocale* locale = ResolveLocale(Locale);
    if (!locale) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    SYSTEMTIME st = lpTime ? *lpTime : Now();
    if (st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    static const QString kIsoTime = QStringLiteral("HH:mm:ss");
    QString custom;
    const QString* picture = nullptr;
    if (lpFormat)
        picture = &(custom = FromAnsi(lpFormat));
    else
        picture = locale->isC ? &kIsoTime : &locale->longTime;
    DWORD flags = dwFlags & ~LOCALE_NOUSEROVERRIDE;
    Text& text = Scratch();
    FormatTimePicture(*picture, st, flags, locale->locale, locale->isC, text);
    return CopyResult(text, lpTimeStr, cchTime);
}
