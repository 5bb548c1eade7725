#include "gif/gif_writer.h"

#include "gif/lzw_encoder.h"

#include <algorithm>

namespace morlo::gif {

namespace {

// Small buffered writer for the fixed parts of the stream; image data goes through SubBlockSink.
class StreamWriter {
public:
    explicit StreamWriter(ByteSink& sink) : sink_(sink) {}

    void byte(std::uint8_t value) { bytes_.push_back(value); }
    void word(int value) {
        byte(static_cast<std::uint8_t>(value & 0xFF));
        byte(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
    void bytes(const char* text, std::size_t size) { bytes_.insert(bytes_.end(), text, text + size); }
    void flush() {
        if (!bytes_.empty() && !sink_.write(bytes_.data(), bytes_.size()))
            throw GIFError("Could not write GIF data");
        bytes_.clear();
    }
    ByteSink& sink() { return sink_; }

private:
    ByteSink& sink_;
    std::vector<std::uint8_t> bytes_;
};

void writeColorTable(StreamWriter& out, const TGIFColorMap& table) {
    for (const RgbColor& color : table.entries()) {
        out.byte(color.red);
        out.byte(color.green);
        out.byte(color.blue);
    }
    for (int i = table.count(); i < (1 << table.bitsPerPixel()); ++i) {
        out.byte(0);
        out.byte(0);
        out.byte(0);
    }
}

void writeExtension(StreamWriter& out, const TGIFExtension& extension) {
    out.byte(0x21);
    switch (extension.kind()) {
    case ExtensionKind::GraphicControl: {
        const auto& control = static_cast<const TGIFGraphicControlExtension&>(extension);
        out.byte(0xF9);
        out.byte(0x04);
        out.byte(control.packedFields());
        out.word(control.delay);
        out.byte(static_cast<std::uint8_t>(control.transparentIndex()));
        out.byte(0x00);
        break;
    }
    case ExtensionKind::Loop: {
        const auto& loop = static_cast<const TGIFAppExtNSLoop&>(extension);
        out.byte(0xFF);
        out.byte(0x0B);
        out.bytes("NETSCAPE2.0", 11);
        out.byte(0x03);
        out.byte(0x01);
        out.word(loop.loopCount);
        if (loop.bufferSize != 0) {
            out.byte(0x05);
            out.byte(0x02);
            out.word(static_cast<int>(loop.bufferSize & 0xFFFF));
            out.word(static_cast<int>(loop.bufferSize >> 16));
        }
        out.byte(0x00);
        break;
    }
    case ExtensionKind::Comment: {
        const auto& comment = static_cast<const TGIFCommentExtension&>(extension);
        out.byte(0xFE);
        for (std::size_t at = 0; at < comment.text.size(); at += 255) {
            const std::size_t part = std::min<std::size_t>(255, comment.text.size() - at);
            out.byte(static_cast<std::uint8_t>(part));
            out.bytes(comment.text.data() + at, part);
        }
        out.byte(0x00);
        break;
    }
    }
}

} // namespace

void WriteGIF(const TGIFImage& image, ByteSink& sink) {
    if (image.frameCount() == 0)
        throw GIFError("Unsupported GIF version");

    const TGIFColorMap& global = image.globalColorMap();
    bool needs89a = false;
    int largestBits = global.bitsPerPixel();
    for (int i = 0; i < image.frameCount(); ++i) {
        const TGIFSubImage& frame = image.frame(i);
        if (!frame.extensions().empty() || frame.localColorMap().sorted())
            needs89a = true;
        largestBits = std::max(largestBits, frame.localColorMap().bitsPerPixel());
    }

    StreamWriter out(sink);
    out.bytes(needs89a ? "GIF89a" : "GIF87a", 6);
    out.word(image.width());
    out.word(image.height());
    // The colour resolution comes from the widest table (masked: an image without tables reads 7). The size
    // field must describe the global table that follows, or decoders would read frame data as colours; it
    // only takes the widest table's size when no global table is written.
    std::uint8_t packed = static_cast<std::uint8_t>((((largestBits - 1) & 7) << 4) | ((largestBits - 1) & 7));
    if (!global.isEmpty()) {
        packed = static_cast<std::uint8_t>((packed & 0x70) | 0x80 | (global.bitsPerPixel() - 1));
        if (global.sorted())
            packed |= 0x08;
    }
    out.byte(packed);
    out.byte(0); // background colour index
    out.byte(0); // pixel aspect ratio
    if (!global.isEmpty())
        writeColorTable(out, global);

    TLZWEncoder encoder;
    for (int i = 0; i < image.frameCount(); ++i) {
        const TGIFSubImage& frame = image.frame(i);
        for (const auto& extension : frame.extensions())
            writeExtension(out, *extension);
        if (frame.isEmpty())
            continue;
        if (frame.left + frame.width > image.width() || frame.top + frame.height > image.height())
            warn(image.warningHandler(), "Image exceeds Logical Screen size");

        const TGIFColorMap& local = frame.localColorMap();
        out.byte(0x2C);
        out.word(frame.left);
        out.word(frame.top);
        out.word(frame.width);
        out.word(frame.height);
        if (!local.isEmpty())
            out.byte(
                static_cast<std::uint8_t>(0x80 | (local.sorted() ? 0x20 : 0) | (local.bitsPerPixel() - 1)));
        else
            out.byte(frame.descriptorFlags & 0x58);
        if (!local.isEmpty())
            writeColorTable(out, local);

        const int codeBits = local.isEmpty() ? largestBits : local.bitsPerPixel();
        const int limit = local.isEmpty() ? (1 << codeBits) : local.count();
        const std::size_t count =
            static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
        if (frame.pixels.size() < count)
            throw GIFError("Invalid image dimensions");
        std::uint8_t largestIndex = 0;
        for (std::size_t p = 0; p < count; ++p)
            largestIndex = std::max(largestIndex, frame.pixels[p]);
        if (largestIndex >= limit)
            throw GIFError("Color not in color table");

        const int minCodeSize = std::max(2, codeBits);
        out.byte(static_cast<std::uint8_t>(minCodeSize));
        out.flush();
        SubBlockSink blocks(sink);
        if (!encoder.encode(frame.pixels.data(), count, minCodeSize, blocks) || !blocks.finish())
            throw GIFError("Could not write GIF data");
    }
    out.byte(0x3B);
    out.flush();
}

std::vector<std::uint8_t> WriteGIF(const TGIFImage& image) {
    std::vector<std::uint8_t> bytes;
    VectorByteSink sink(bytes);
    WriteGIF(image, sink);
    return bytes;
}

} // namespace morlo::gif
