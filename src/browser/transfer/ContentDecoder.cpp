#include "browser/transfer/ContentDecoder.h"

#include <QList>
#include <zlib.h>

namespace
{
// More layers than any server has reason to send are taken for an attack on our memory.
constexpr size_t kMaxLayers = 4;
constexpr size_t kOutputChunk = 64 * 1024;
} // namespace

// One compressed layer: inflates what it is fed and hands the output on.
class ContentDecoder::Layer
{
public:
    explicit Layer(bool blnGzip)
        : m_blnGzip(blnGzip)
    { }

    ~Layer()
    {
        if (m_blnStarted)
            inflateEnd(&m_stream);
    }
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // Inflates bytes and calls sink with each piece of output; stops at the first status that
    // is not Ok.
    template <typename Sink> Status Inflate(QByteArrayView bytes, Sink&& sink)
    {
        if (m_blnEnded || bytes.isEmpty())
            return Status::Ok;
        m_blnFed = true;
        if (!m_blnStarted) {
            // deflate comes with the zlib wrapping or without it: its first two bytes tell.
            m_header.append(bytes.data(), bytes.size());
            if (!m_blnGzip && m_header.size() < 2)
                return Status::Ok;
            const QByteArray header = m_header;
            m_header.clear();
            if (!Start(header))
                return Status::Corrupt;
            return Run(header, sink);
        }
        return Run(bytes, sink);
    }

    // Whether the compressed stream is complete (or never began).
    bool Complete() const { return m_blnEnded || !m_blnFed; }

private:
    bool Start(const QByteArray& header)
    {
        int intWindowBits = 15 + 16; // gzip
        if (!m_blnGzip) {
            const auto chrFirst = static_cast<unsigned char>(header.at(0));
            const auto chrSecond = static_cast<unsigned char>(header.at(1));
            const bool blnWrapped = (chrFirst & 0x0F) == 8 && ((chrFirst << 8) | chrSecond) % 31 == 0;
            intWindowBits = blnWrapped ? 15 : -15;
        }
        if (inflateInit2(&m_stream, intWindowBits) != Z_OK)
            return false;
        m_blnStarted = true;
        // Only a stream that began needs room for its output; never cleared, as inflate fills it.
        m_output.reset(new unsigned char[kOutputChunk]);
        return true;
    }

    template <typename Sink> Status Run(QByteArrayView bytes, Sink&& sink)
    {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        m_stream.avail_in = static_cast<uInt>(bytes.size());
        for (;;) {
            m_stream.next_out = m_output.get();
            m_stream.avail_out = static_cast<uInt>(kOutputChunk);
            const int intResult = inflate(&m_stream, Z_NO_FLUSH);
            const size_t lngProduced = kOutputChunk - m_stream.avail_out;
            if (intResult != Z_OK && intResult != Z_STREAM_END && intResult != Z_BUF_ERROR)
                return Status::Corrupt;
            if (lngProduced > 0) {
                const Status status = sink(QByteArrayView(m_output.get(), static_cast<qsizetype>(lngProduced)));
                if (status != Status::Ok)
                    return status;
            }
            if (intResult == Z_STREAM_END) {
                m_blnEnded = true; // anything after the stream is ignored
                return Status::Ok;
            }
            if (m_stream.avail_in == 0 && m_stream.avail_out != 0)
                return Status::Ok;
            if (intResult == Z_BUF_ERROR && lngProduced == 0)
                return Status::Ok;
        }
    }

    bool m_blnGzip;
    bool m_blnStarted = false;
    bool m_blnFed = false;
    bool m_blnEnded = false;
    QByteArray m_header;
    z_stream m_stream {};
    std::unique_ptr<unsigned char[]> m_output;
};

ContentDecoder::ContentDecoder(const QByteArray& contentEncoding, qint64 lngMaxBytes)
    : m_lngMaxBytes(lngMaxBytes)
{
    std::vector<bool> gzipLayers; // in the order the encodings were applied
    for (const QByteArray& entry : contentEncoding.split(',')) {
        const QByteArray name = entry.trimmed().toLower();
        if (name.isEmpty() || name == "identity")
            continue;
        if (name == "gzip" || name == "x-gzip")
            gzipLayers.push_back(true);
        else if (name == "deflate")
            gzipLayers.push_back(false);
        else
            return; // an encoding we cannot undo: the body stays as it came
    }
    if (gzipLayers.size() > kMaxLayers) {
        m_status = Status::Corrupt;
        return;
    }
    for (auto it = gzipLayers.rbegin(); it != gzipLayers.rend(); ++it)
        m_layers.push_back(std::make_unique<Layer>(*it));
}

ContentDecoder::~ContentDecoder() = default;

ContentDecoder::Status ContentDecoder::Feed(QByteArrayView bytes)
{
    if (m_status == Status::Ok)
        m_status = Pass(0, bytes);
    return m_status;
}

ContentDecoder::Status ContentDecoder::Finish()
{
    if (m_status != Status::Ok)
        return m_status;
    for (const auto& layer : m_layers) {
        if (!layer->Complete())
            m_status = Status::Corrupt;
    }
    return m_status;
}

QByteArray ContentDecoder::TakeBody()
{
    return std::move(m_body);
}

ContentDecoder::Status ContentDecoder::Pass(size_t lngLayer, QByteArrayView bytes)
{
    if (lngLayer == m_layers.size())
        return Append(bytes);
    return m_layers[lngLayer]->Inflate(
        bytes, [this, lngLayer](QByteArrayView output) { return Pass(lngLayer + 1, output); });
}

ContentDecoder::Status ContentDecoder::Append(QByteArrayView bytes)
{
    if (m_body.size() + bytes.size() > m_lngMaxBytes)
        return Status::TooLarge;
    m_body.append(bytes.data(), bytes.size());
    return Status::Ok;
}
