// Fuzzes what the browser does with an HTTP answer once the connection has delivered it: the
// head read line by line, the body's content encoding undone piece by piece within the size cap,
// the charset chosen and the page decoded and parsed, the Refresh header read.
//
// Input: a head up to the first empty line, then the body. The first byte also chooses how the
// body arrives: as it is, or compressed here first (gzip, deflate with and without its zlib
// wrapping, gzip twice) with the matching Content-Encoding added, so that well-formed streams
// reach the decoder as often as broken ones. Further bytes choose where the body is cut into
// pieces.
//
// Checked: nothing crashes; the decoded body never exceeds the cap; decoding in pieces gives the
// same outcome and the same body as decoding in one go; a compressed body made here decodes back
// to the original whenever it fits the cap.

#include "FuzzCheck.h"
#include "browser/document/DocumentBuilder.h"
#include "browser/document/PageCharset.h"
#include "browser/engine/RefreshDirective.h"
#include "browser/transfer/ContentDecoder.h"
#include "browser/transfer/ResponseHead.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <zlib.h>

namespace
{
constexpr qint64 kCap = 256 * 1024;

// body compressed with zlib at its best: intWindowBits 15 + 16 for gzip, 15 for the zlib
// wrapping, -15 for raw deflate. One compressor per wrapping serves every input: a fresh one
// clears and touches half a megabyte, which took longer than all the rest of an input.
QByteArray Compressed(const QByteArray& body, int intWindowBits)
{
    struct Compressor
    {
        z_stream stream {};
        bool blnReady = false;
    };
    static Compressor compressors[3];
    Compressor& compressor = compressors[intWindowBits > 15 ? 0 : intWindowBits > 0 ? 1 : 2];
    z_stream& stream = compressor.stream;
    if (!compressor.blnReady) {
        Check(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, intWindowBits, 9, Z_DEFAULT_STRATEGY) == Z_OK);
        compressor.blnReady = true;
    } else
        Check(deflateReset(&stream) == Z_OK);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(body.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
    stream.avail_in = static_cast<uInt>(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    Check(deflate(&stream, Z_FINISH) == Z_STREAM_END);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    return out;
}

struct Decoded
{
    ContentDecoder::Status status;
    QByteArray body;
};

Decoded Decode(const QByteArray& encoding, const QByteArray& body, const uint8_t* cuts, size_t lngCuts)
{
    ContentDecoder decoder(encoding, kCap);
    qsizetype lngAt = 0;
    for (size_t lngCut = 0; lngCut < lngCuts && lngAt < body.size(); ++lngCut) {
        const qsizetype lngPiece = std::min<qsizetype>(1 + cuts[lngCut] * 7, body.size() - lngAt);
        decoder.Feed(QByteArrayView(body.constData() + lngAt, lngPiece));
        lngAt += lngPiece;
    }
    if (lngAt < body.size())
        decoder.Feed(QByteArrayView(body.constData() + lngAt, body.size() - lngAt));
    const ContentDecoder::Status status = decoder.Finish();
    Check(decoder.Body().size() <= kCap);
    return { status, decoder.TakeBody() };
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int intMode = data[0] % 5;
    const size_t lngCuts = std::min<size_t>(data[1] % 16, size - 2);
    const uint8_t* cuts = data + 2;
    const QByteArray input(
        reinterpret_cast<const char*>(data + 2 + lngCuts), static_cast<qsizetype>(size - 2 - lngCuts));

    ResponseHead head;
    qsizetype lngAt = 0;
    while (lngAt < input.size()) {
        qsizetype lngEnd = input.indexOf('\n', lngAt);
        lngEnd = lngEnd < 0 ? input.size() : lngEnd + 1;
        const ResponseHead::Line line = head.TakeLine(QByteArrayView(input.constData() + lngAt, lngEnd - lngAt));
        lngAt = lngEnd;
        if (line == ResponseHead::Line::End)
            break;
    }
    const QByteArray original = input.mid(lngAt);
    QByteArray encoding = head.Header("Content-Encoding");
    QByteArray body = original;
    switch (intMode) {
    case 1:
        body = Compressed(original, 15 + 16);
        encoding = "gzip";
        break;
    case 2:
        body = Compressed(original, 15);
        encoding = "deflate";
        break;
    case 3:
        body = Compressed(original, -15);
        encoding = "deflate";
        break;
    case 4:
        body = Compressed(Compressed(original, 15 + 16), 15 + 16);
        encoding = "gzip, x-gzip";
        break;
    default:
        break;
    }

    const Decoded whole = Decode(encoding, body, nullptr, 0);
    const Decoded pieces = Decode(encoding, body, cuts, lngCuts);
    Check(whole.status == pieces.status);
    if (whole.status == ContentDecoder::Status::Ok)
        Check(whole.body == pieces.body);
    if (intMode != 0 && original.size() <= kCap)
        Check(whole.status == ContentDecoder::Status::Ok && whole.body == original);
    if (whole.status != ContentDecoder::Status::Ok)
        return 0;

    const QByteArray charset = ChoosePageCharset(whole.body, head.Header("Content-Type"));
    HtmlDocument document;
    BuildHtmlDocument(DecodePageToUtf8(whole.body, charset), &document);
    const RefreshDirective refresh = ParseRefresh(QString::fromLatin1(head.Header("Refresh")));
    Check(refresh.intDelaySeconds >= 0 && refresh.intDelaySeconds <= RefreshDirective::intMaxDelaySeconds);
    Check(head.ContentLength() >= -1);
    return 0;
}
