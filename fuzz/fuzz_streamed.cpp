// Fuzz target: a text replaced in pieces of random sizes gives what the whole
// text replaced at once gives, with one to twelve find/replace pairs (so that an
// occurrence straddles a boundary and a later pair finds what an earlier one made
// across one), only the pairs that a first look through the same pieces finds
// able to change the text getting their passes; and the UTF-8 test made piece by
// piece agrees with the test of the whole content. The find and replace texts
// are made of six characters, so that some pairs occur and others are absent or
// made only by earlier ones. The same pairs and text as UTF-16 (each byte a unit,
// surrogates among them) replaced in pieces give the whole UTF-16 replacement.
#include "fuzz_check.h"

#include "engine/replacement.h"
#include "engine/streamed_replacement.h"
#include "textio/text_encoding.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <type_traits>

using namespace tessaly;

namespace {

QByteArray someBytes(FuzzedDataProvider &data, size_t most)
{
    static constexpr char kFew[] = {'a', 'b', '<', '>', 'c', 'd'};
    std::string bytes = data.ConsumeRandomLengthString(most);
    for (char &c : bytes)
        if (static_cast<unsigned char>(c) < 0xC0)
            c = kFew[static_cast<unsigned char>(c) % sizeof kFew];  // else a UTF-8 lead byte, kept
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// A byte as a UTF-16 unit: the six characters, or one of a surrogate pair.
QString unitsOf(QByteArrayView bytes)
{
    QString units;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        units += b >= 0xC0 ? QChar(char16_t(b % 2 ? 0xD83D : 0xDE00)) : QChar::fromLatin1(c);
    }
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    QList<Substitution<QByteArray>> pairs;
    const int count = data.ConsumeIntegralInRange(1, 12);
    for (int j = 0; j < count; ++j) {
        QByteArray find = someBytes(data, 4);
        pairs.append({find, someBytes(data, 4)});
    }
    const std::string rawSizes = data.ConsumeBytesAsString(8);
    const std::string raw = data.ConsumeRemainingBytesAsString();
    const QByteArray whole(raw.data(), qsizetype(raw.size()));

    QList<qint64> wholeCounts;
    const QByteArray expected = replaceText(whole, pairs, ReplaceMode::WholeFile, &wholeCounts, SetSkipping::Never);

    const auto pieceSize = [&](size_t k) {
        return rawSizes.empty() ? 1 : 1 + static_cast<unsigned char>(rawSizes[k % rawSizes.size()]) % 9;
    };
    SetsInText look(pairs);
    for (qsizetype at = 0, k = 0; at < whole.size(); ++k) {
        const QByteArrayView next = QByteArrayView(whole).sliced(at, std::min<qsizetype>(pieceSize(size_t(k)), whole.size() - at));
        look.add(next);
        at += next.size();
    }

    // The pieces as the job reads them: what was held back, then the next piece,
    // each also handed to `seen`.
    const auto inPieces = [&](auto &streamed, const auto &text, auto &&seen) {
        std::decay_t<decltype(text)> buffer;
        std::decay_t<decltype(text)> out;
        qsizetype at = 0;
        for (size_t k = 0; at < text.size() || k == 0; ++k) {
            const auto next = text.sliced(at, std::min<qsizetype>(pieceSize(k), text.size() - at));
            at += next.size();
            seen(next);
            buffer.append(next);
            const qsizetype held = streamed.feed(buffer, at == text.size(), out);
            buffer.remove(0, buffer.size() - held);
        }
        FUZZ_CHECK(buffer.isEmpty());
        return out;
    };

    StreamedReplacement streamed(pairs, look.needed());
    Utf8Check check;
    FUZZ_CHECK(inPieces(streamed, whole, [&](const QByteArray &next) { check.add(next); }) == expected);
    FUZZ_CHECK(streamed.counts() == wholeCounts);
    if (classifyMark(whole).mark == ByteOrderMark::None)
        FUZZ_CHECK(check.isUtf8() == (classifyContent(whole).encoding == TextEncoding::Utf8));

    QList<Substitution<QString>> pairs16;
    for (const Substitution<QByteArray> &pair : pairs)
        pairs16.append({unitsOf(pair.find), unitsOf(pair.replace)});
    const QString whole16 = unitsOf(whole);
    QList<qint64> wholeCounts16;
    const QString expected16 = replaceText(whole16, pairs16, ReplaceMode::WholeFile, &wholeCounts16, SetSkipping::Never);
    StreamedUtf16Replacement streamed16(pairs16);
    FUZZ_CHECK(inPieces(streamed16, whole16, [](const QString &) {}) == expected16);
    FUZZ_CHECK(streamed16.counts() == wholeCounts16);
    return 0;
}
