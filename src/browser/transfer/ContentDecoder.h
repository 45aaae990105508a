#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <memory>
#include <vector>

// Undoes the Content-Encoding of a response body while it arrives, and keeps the decoded body
// within a size cap, so that a small compressed answer can never grow past the cap in memory.
//
// The header lists the encodings in the order they were applied ("gzip, gzip" twice over); they
// are undone in reverse. gzip, x-gzip and deflate (with or without its zlib wrapping) are known;
// identity and empty entries do nothing. A list naming an encoding we do not know leaves the
// body as it came, as browsers do. Whatever follows the end of a compressed stream is ignored.
class ContentDecoder
{
public:
    enum class Status {
        Ok,
        TooLarge, // the decoded body would exceed the cap
        Corrupt // the compressed data is damaged or ends early
    };

    ContentDecoder(const QByteArray& contentEncoding, qint64 lngMaxBytes);
    ~ContentDecoder();
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    // Takes the next piece of the body as it came over the wire; Ok until something went wrong,
    // then that status for good.
    Status Feed(QByteArrayView bytes);
    // The body has ended: a compressed stream must have ended too.
    Status Finish();

    const QByteArray& Body() const { return m_body; }
    QByteArray TakeBody();

private:
    class Layer;

    Status Pass(size_t lngLayer, QByteArrayView bytes);
    Status Append(QByteArrayView bytes);

    std::vector<std::unique_ptr<Layer>> m_layers; // the first one is fed the body
    qint64 m_lngMaxBytes;
    QByteArray m_body;
    Status m_status = Status::Ok;
};
