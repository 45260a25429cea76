// Fuzz target: whole-file and viewable-text replacement of arbitrary text with
// arbitrary find/replace pairs, on bytes and on UTF-16, compared with a plain,
// slow rendering of the same rules written here from scratch: one full pass per
// pair. The engine runs with and without skipping the pairs that cannot occur;
// in half the inputs every unit is one of a few characters, so that pairs find
// what earlier ones inserted or joined by deleting, after a head with or without
// a "<body" that starts nothing, and the text may be repeated into a long one,
// which the search for all find texts goes through in stretches.
#include "fuzz_check.h"

#include "engine/replacement.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

using namespace tessaly;

namespace {

// The reference works on std::basic_string of bytes or UTF-16 units.
template <class Str>
struct Reference {
    const std::vector<std::pair<Str, Str>> &pairs;
    std::vector<qint64> counts;

    static typename Str::value_type upper(typename Str::value_type c)
    {
        if constexpr (sizeof(c) == 1)
            return c >= 'a' && c <= 'z' ? char(c - 32) : c;
        else
            return QChar(c).toUpper().unicode();
    }

    // Position of the first match of marker, letter case ignored; npos for none.
    static size_t findAnyCase(const Str &text, const Str &marker)
    {
        for (size_t i = 0; i + marker.size() <= text.size(); ++i) {
            size_t k = 0;
            while (k < marker.size() && upper(text[i + k]) == upper(marker[k]))
                ++k;
            if (k == marker.size())
                return i;
        }
        return Str::npos;
    }

    static Str takeUpTo(Str &working, const Str &marker, bool includeMarker)
    {
        const size_t at = findAnyCase(working, marker);
        if (at == Str::npos) {
            Str all = working;
            working.clear();
            return all;
        }
        Str taken = working.substr(0, at);
        working.erase(0, at);
        if (includeMarker) {
            taken += marker;
            working.erase(0, marker.size());
        }
        return taken;
    }

    Str applyPairs(Str text)
    {
        for (size_t j = 0; j < pairs.size(); ++j) {
            const Str &find = pairs[j].first;
            if (find.empty())
                continue;
            Str out;
            for (size_t i = 0; i < text.size();) {
                if (text.compare(i, find.size(), find) == 0) {
                    out += pairs[j].second;
                    i += find.size();
                    ++counts[j];
                } else {
                    out += text[i++];
                }
            }
            text = out;
        }
        return text;
    }

    static Str ascii(const char *s) { return Str(s, s + std::char_traits<char>::length(s)); }

    static bool isSpace(typename Str::value_type c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    }

    // A tag's inside with its closing ">", unit by unit: the first ">" closes it,
    // but a quoted value after "=" runs to its closing quote when that quote comes
    // before the next "<". Without a closing ">" the whole rest is taken.
    static Str takeTag(Str &rest)
    {
        size_t i = 0;
        while (i < rest.size() && rest[i] != '>') {
            if (rest[i] == '=') {
                size_t k = i + 1;
                while (k < rest.size() && isSpace(rest[k]))
                    ++k;
                if (k < rest.size() && (rest[k] == '"' || rest[k] == '\'')) {
                    const size_t end = rest.find(rest[k], k + 1);
                    const size_t lt = rest.find(typename Str::value_type('<'), k + 1);
                    if (end != Str::npos && (lt == Str::npos || end < lt)) {
                        i = end + 1;
                        continue;
                    }
                    i = rest.find(typename Str::value_type('>'), k);
                    break;
                }
            }
            ++i;
        }
        if (i == Str::npos || i >= rest.size()) {
            Str all = rest;
            rest.clear();
            return all;
        }
        Str taken = rest.substr(0, i + 1);
        rest.erase(0, i + 1);
        return taken;
    }

    static typename Str::value_type asciiUpper(typename Str::value_type c)
    {
        return c >= 'a' && c <= 'z' ? typename Str::value_type(c - 32) : c;
    }

    // Where a tag before the body that opens at `at` ends: at its first ">"
    // outside quoted values, each of which runs to its closing quote (without
    // one, to the first ">" after its opening quote); npos when none.
    static size_t headTagEnd(const Str &text, size_t at)
    {
        for (size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] == '>')
                return i;
            if (text[i] != '=')
                continue;
            size_t k = i + 1;
            while (k < text.size() && isSpace(text[k]))
                ++k;
            if (k < text.size() && (text[k] == '"' || text[k] == '\'')) {
                const size_t end = text.find(text[k], k + 1);
                if (end == Str::npos)
                    return text.find(typename Str::value_type('>'), k + 1);
                i = end;
            }
        }
        return Str::npos;
    }

    // The first "<body" (any case) followed by white space, "/" or ">" that lies
    // in no comment and no tag; a "<" before anything but a letter, "/", "!" or
    // "?" is text.
    static size_t bodyStart(const Str &text)
    {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '<')
                continue;
            const auto next = i + 1 < text.size() ? asciiUpper(text[i + 1]) : 0;
            if ((next < 'A' || next > 'Z') && next != '/' && next != '!' && next != '?')
                continue;
            if (text.compare(i, 4, ascii("<!--")) == 0) {
                const size_t end = text.find(ascii("-->"), i + 2);
                if (end == Str::npos)
                    return Str::npos;
                i = end + 2;
                continue;
            }
            const auto after = i + 5 < text.size() ? text[i + 5] : 0;
            if (findAnyCase(text.substr(i, 5), ascii("<body")) == 0 && (isSpace(after) || after == '/' || after == '>'))
                return i;
            i = headTagEnd(text, i);
            if (i == Str::npos)
                return Str::npos;
        }
        return Str::npos;
    }

    Str wholeFile(const Str &text) { return applyPairs(text); }

    Str viewable(Str s)
    {
        const size_t start = bodyStart(s);
        if (start == Str::npos)
            return s;
        Str head = s.substr(0, start);
        s.erase(0, start);
        head += takeTag(s);
        Str rest = takeUpTo(s, ascii("</body>"), false);
        const Str tail = s;
        Str mid;
        while (!rest.empty()) {
            const size_t lt = rest.find(typename Str::value_type('<'));
            const size_t p = lt == Str::npos ? 0 : lt + 1;
            if (p >= 2) {
                mid += applyPairs(takeUpTo(rest, ascii("<"), false));
            } else if (p == 0) {
                mid += applyPairs(rest);
                rest.clear();
            }
            const size_t gt = rest.find(typename Str::value_type('>'));
            if (gt != Str::npos) {
                mid += takeTag(rest);
            } else if (!rest.empty()) {
                // "<" with no ">" after it: the remainder stays as it is.
                mid += rest;
                break;
            }
        }
        return head + mid + tail;
    }
};

// Bytes as UTF-16 units: widened one by one, or taken two at a time.
std::u16string units(const std::string &bytes, bool raw)
{
    std::u16string out;
    if (!raw) {
        for (char c : bytes)
            out += char16_t(static_cast<unsigned char>(c));
        return out;
    }
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out += char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return out;
}

// The units as they are: QString::fromStdU16String would take a leading U+FFFE
// or U+FEFF for a byte-order mark.
QString qstring(const std::u16string &units)
{
    return QString(reinterpret_cast<const QChar *>(units.data()), qsizetype(units.size()));
}

// Every byte as one of a few characters: the tag characters, a space and three letters.
std::string fewCharacters(const std::string &bytes)
{
    static const char kFew[] = "abc<>=\" ";
    std::string out;
    for (char c : bytes)
        out += kFew[static_cast<unsigned char>(c) % (sizeof kFew - 1)];
    return out;
}

constexpr SetSkipping kSkippings[] = {SetSkipping::Never, SetSkipping::Always, SetSkipping::Auto};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const ReplaceMode mode = input.ConsumeBool() ? ReplaceMode::WholeFile : ReplaceMode::ViewableText;
    const bool rawUnits = input.ConsumeBool();
    const bool few = input.ConsumeBool();
    const int repeats = input.ConsumeBool() ? input.ConsumeIntegralInRange(2, 64) : 1;
    const int pairCount = input.ConsumeIntegralInRange(0, 12);
    std::vector<std::pair<std::string, std::string>> bytePairs;
    for (int j = 0; j < pairCount; ++j) {
        std::string find = input.ConsumeRandomLengthString(12);
        std::string replace = input.ConsumeRandomLengthString(12);
        if (few) {
            find = fewCharacters(find);
            replace = fewCharacters(replace);
        }
        bytePairs.emplace_back(std::move(find), std::move(replace));
    }
    std::string text = input.ConsumeRemainingBytesAsString();
    if (few)
        text = fewCharacters(text);
    const std::string once = text;
    for (int r = 1; r < repeats && text.size() < 8192; ++r)
        text += once;
    if (few) {
        // A head that holds a "<body" which is no body start tag, or none.
        static const char *const kHeads[] = {"<body>", "<!-- <body> --><BODY\n>", "<p t=\"<body>\">a<body/>",
                                             "<bodyguard>a<body>", "< <body >", "<!--><body>"};
        text = kHeads[static_cast<unsigned char>(once.empty() ? 0 : once[0]) % 6] + text;
    }
    // Pairs that each make their find text longer can grow a text exponentially;
    // inputs whose result could pass a megabyte are left out.
    double bound = double(text.size());
    for (const auto &[find, replace] : bytePairs) {
        if (!find.empty())
            bound *= std::max(1.0, double(replace.size()) / double(find.size()));
    }
    if (bound > double(1 << 20))
        return 0;

    // Bytes.
    {
        QList<Substitution<QByteArray>> substitutions;
        for (const auto &[find, replace] : bytePairs)
            substitutions.append({QByteArray::fromStdString(find), QByteArray::fromStdString(replace)});
        Reference<std::string> reference{bytePairs, std::vector<qint64>(bytePairs.size())};
        const std::string expected = mode == ReplaceMode::WholeFile ? reference.wholeFile(text) : reference.viewable(text);
        for (const SetSkipping skipping : kSkippings) {
            QList<qint64> counts;
            const QByteArray got = replaceText(QByteArrayView(text.data(), qsizetype(text.size())), substitutions,
                                               mode, &counts, skipping);
            FUZZ_CHECK(got.toStdString() == expected);
            FUZZ_CHECK(counts.size() == qsizetype(bytePairs.size()));
            for (size_t j = 0; j < bytePairs.size(); ++j)
                FUZZ_CHECK(counts[qsizetype(j)] == reference.counts[j]);
        }
    }

    // UTF-16.
    {
        std::vector<std::pair<std::u16string, std::u16string>> pairs;
        QList<Substitution<QString>> substitutions;
        for (const auto &[find, replace] : bytePairs) {
            pairs.emplace_back(units(find, rawUnits), units(replace, rawUnits));
            substitutions.append({qstring(pairs.back().first), qstring(pairs.back().second)});
        }
        const std::u16string wide = units(text, rawUnits);
        Reference<std::u16string> reference{pairs, std::vector<qint64>(pairs.size())};
        const std::u16string expected = mode == ReplaceMode::WholeFile ? reference.wholeFile(wide) : reference.viewable(wide);
        for (const SetSkipping skipping : kSkippings) {
            QList<qint64> counts;
            const QString got = replaceText(QStringView(wide.data(), qsizetype(wide.size())), substitutions, mode,
                                            &counts, skipping);
            FUZZ_CHECK(got.toStdU16String() == expected);
            for (size_t j = 0; j < pairs.size(); ++j)
                FUZZ_CHECK(counts[qsizetype(j)] == reference.counts[j]);
        }
    }

    // TakeUpTo with each marker the program cuts at, on the same text.
    {
        static const char16_t *const markers[] = {u"<body", u">", u"</body>", u"<"};
        const std::u16string wide = units(text, rawUnits);
        const std::u16string marker = markers[size % 4];
        const bool include = rawUnits;
        QString working = qstring(wide);
        const QString taken = TakeUpTo(working, qstring(marker), include);
        std::u16string refWorking = wide;
        const std::u16string refTaken = Reference<std::u16string>::takeUpTo(refWorking, marker, include);
        FUZZ_CHECK(taken.toStdU16String() == refTaken);
        FUZZ_CHECK(working.toStdU16String() == refWorking);
    }
    return 0;
}
