#include "platform/gui/JpegDecoder.h"

#include "platform/fs/ReadFile.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace platform::gui {
namespace {

// Progressive files may hold any number of scans; each one costs a pass over the whole picture,
// so a small forged file could keep us busy for minutes.
constexpr long kMaxScans = 256;

struct ErrorManager {
    jpeg_error_mgr Base; // first member: libjpeg hands us a pointer to it
    std::jmp_buf Jump;
};

[[noreturn]] void Fail(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->Jump, 1);
}

// A warning means the data was damaged (truncated, bad Huffman code, ...): libjpeg would go on
// and fill the rest with grey, but a half-grey logo is worse than none.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0) Fail(cinfo);
}

void Silent(j_common_ptr) {}

void OnProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) Fail(cinfo);
}

std::uint8_t Scale(unsigned a, unsigned b) {
    return std::uint8_t((a * b + 127) / 255);
}

// Everything between setjmp and a possible longjmp lives in libjpeg's structures or in `out`,
// which belongs to the caller; no object with a destructor is skipped by the jump.
bool Decode(const std::uint8_t* data, std::size_t size, RgbImage* out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = Fail;
    err.Base.emit_message = OnMessage;
    err.Base.output_message = Silent;
    jpeg_progress_mgr progress;
    progress.progress_monitor = OnProgress;

    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) Fail(reinterpret_cast<j_common_ptr>(&cinfo));

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > unsigned(kMaxJpegSide) ||
        cinfo.image_height > unsigned(kMaxJpegSide) ||
        std::int64_t(cinfo.image_width) * cinfo.image_height > kMaxJpegPixels)
        Fail(reinterpret_cast<j_common_ptr>(&cinfo));

    jpeg_start_decompress(&cinfo);
    const unsigned width = cinfo.output_width;
    const unsigned height = cinfo.output_height;
    const unsigned components = unsigned(cinfo.output_components);
    if (components != (cmyk ? 4u : 3u)) Fail(reinterpret_cast<j_common_ptr>(&cinfo));

    out->Pixels.assign(std::size_t(width) * height * 3, 0);
    // One scratch row for CMYK, allocated by libjpeg so that it is freed with the decompressor.
    JSAMPARRAY scratch =
        cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1)
             : nullptr;
    const bool inverted = cinfo.saw_Adobe_marker; // Adobe writes CMYK inverted
    while (cinfo.output_scanline < height) {
        std::uint8_t* row = out->Pixels.data() + std::size_t(cinfo.output_scanline) * width * 3;
        if (!cmyk) {
            JSAMPROW rows[1] = {row};
            jpeg_read_scanlines(&cinfo, rows, 1);
            continue;
        }
        jpeg_read_scanlines(&cinfo, scratch, 1);
        const JSAMPLE* s = scratch[0];
        for (unsigned x = 0; x < width; ++x, s += 4, row += 3) {
            const unsigned k = inverted ? s[3] : 255u - s[3];
            for (int c = 0; c < 3; ++c)
                row[c] = Scale(inverted ? s[c] : 255u - s[c], k);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out->Width = int(width);
    out->Height = int(height);
    return true;
}

} // namespace

RgbImage DecodeJpeg(const std::uint8_t* data, std::size_t size) {
    RgbImage image;
    if (data == nullptr || size == 0 || size > kMaxJpegFileBytes) return image;
    if (!Decode(data, size, &image)) return RgbImage{};
    return image;
}

RgbImage DecodeJpegFile(const std::string& path) {
    std::string bytes;
    if (ReadDataFile("JpegDecoder", path, "no picture is shown", bytes, kMaxJpegFileBytes + 1) !=
            ReadOutcome::Read ||
        bytes.size() > kMaxJpegFileBytes)
        return {};
    return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace platform::gui
