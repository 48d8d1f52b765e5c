// An animated cursor file is a RIFF file of form "ACON": an "anih" header
// (frame and step counts, default rate, flags), optionally "rate" (time of
// each step in 1/60 s) and "seq " (frame of each step), and a "LIST" of form
// "fram" holding one "icon" chunk per frame, each a whole .cur (or .ico) file.
#include "common/BusyCursor.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>

namespace {

constexpr int kDefaultSize = 32;
constexpr uint32_t kMaxSteps = 4096;
constexpr uint32_t kAnihSize = 36;
constexpr uint32_t kFlagFramesAreCursors = 1;
constexpr uint32_t kFlagSequence = 2;
constexpr uint32_t kMaxMilliseconds = 60000;

uint16_t Le16(const char *p) {
    return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
}
uint32_t Le32(const char *p) {
    return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

struct Chunk {
    QByteArray id;
    QByteArray data;
};

// Splits data[offset..] into chunks; false when one runs past the end.
bool SplitChunks(const QByteArray &data, qsizetype offset, std::vector<Chunk> &chunks) {
    while (offset < data.size()) {
        if (data.size() - offset < 8) return false;
        const QByteArray id = data.mid(offset, 4);
        const uint32_t size = Le32(data.constData() + offset + 4);
        offset += 8;
        if (size > static_cast<uint64_t>(data.size() - offset)) return false;
        chunks.push_back({id, data.mid(offset, size)});
        offset += static_cast<qsizetype>(size) + (size & 1); // chunks start on even offsets
    }
    return true;
}

// One frame: the image of the cursor file closest to the default size,
// brought to that size, with its hot spot.
std::optional<QCursor> ReadFrame(const QByteArray &file) {
    if (file.size() < 6) return std::nullopt;
    const char *p = file.constData();
    const uint16_t type = Le16(p + 2); // 1: icon, 2: cursor
    const uint16_t count = Le16(p + 4);
    if (Le16(p) != 0 || (type != 1 && type != 2) || count == 0 || file.size() < 6 + 16 * qsizetype(count))
        return std::nullopt;
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < count; ++i) {
        const int width = static_cast<uint8_t>(p[6 + 16 * i]) ? static_cast<uint8_t>(p[6 + 16 * i]) : 256;
        if (std::abs(width - kDefaultSize) < bestDistance) {
            bestDistance = std::abs(width - kDefaultSize);
            best = i;
        }
    }
    const char *entry = p + 6 + 16 * best;
    QPoint hotSpot(0, 0);
    if (type == 2) hotSpot = QPoint(Le16(entry + 4), Le16(entry + 6));

    // The image reader knows the icon form; a cursor differs from it only
    // in the directory type and in the two fields that hold the hot spot.
    QByteArray icon = file;
    icon[2] = 1;
    icon[3] = 0;
    for (int i = 0; i < count; ++i) {
        char *e = icon.data() + 6 + 16 * i;
        e[4] = 1; // planes
        e[5] = 0;
        e[6] = 0; // bits per pixel: taken from the image itself
        e[7] = 0;
    }
    QBuffer buffer(&icon);
    if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
    QImageReader reader(&buffer, "ico");
    if (best > 0 && !reader.jumpToImage(best)) return std::nullopt;
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return std::nullopt;
    if (image.size() != QSize(kDefaultSize, kDefaultSize)) {
        hotSpot =
            QPoint(hotSpot.x() * kDefaultSize / image.width(), hotSpot.y() * kDefaultSize / image.height());
        image = image.scaled(kDefaultSize, kDefaultSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    hotSpot.setX(std::min(hotSpot.x(), kDefaultSize - 1));
    hotSpot.setY(std::min(hotSpot.y(), kDefaultSize - 1));
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

std::unique_ptr<AnimatedCursor> &Loaded() {
    static std::unique_ptr<AnimatedCursor> cursor;
    return cursor;
}

} // namespace

bool ReadAnimatedCursor(const QByteArray &data, AnimatedCursor &result) {
    result.steps.clear();
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "ACON") return false;
    // Some writers get the RIFF length wrong: what is there counts.
    const uint32_t declared = Le32(data.constData() + 4);
    const QByteArray body = data.left(std::min<qsizetype>(data.size(), 8 + qsizetype(declared)));
    std::vector<Chunk> chunks;
    if (!SplitChunks(body, 12, chunks)) return false;

    const QByteArray *header = nullptr, *rates = nullptr, *sequence = nullptr;
    std::vector<QByteArray> frames;
    for (const Chunk &chunk : chunks) {
        if (chunk.id == "anih")
            header = &chunk.data;
        else if (chunk.id == "rate")
            rates = &chunk.data;
        else if (chunk.id == "seq ")
            sequence = &chunk.data;
        else if (chunk.id == "LIST" && chunk.data.startsWith("fram")) {
            std::vector<Chunk> icons;
            if (!SplitChunks(chunk.data, 4, icons)) return false;
            for (const Chunk &icon : icons)
                if (icon.id == "icon") frames.push_back(icon.data);
        }
    }
    if (!header || header->size() < qsizetype(kAnihSize) || frames.empty() || frames.size() > kMaxSteps)
        return false;
    const uint32_t flags = Le32(header->constData() + 32);
    if (!(flags & kFlagFramesAreCursors)) return false; // raw bitmap frames: not a form in use
    const uint32_t defaultRate = Le32(header->constData() + 28);
    uint32_t stepCount = Le32(header->constData() + 8);
    if (!(flags & kFlagSequence) || !sequence) sequence = nullptr;
    if (stepCount == 0 || (!sequence && stepCount > frames.size()))
        stepCount = static_cast<uint32_t>(frames.size());
    if (stepCount > kMaxSteps) return false;
    if (sequence && sequence->size() < 4 * qsizetype(stepCount)) return false;
    if (rates && rates->size() < 4 * qsizetype(stepCount)) rates = nullptr;

    std::vector<QCursor> cursors;
    for (const QByteArray &frame : frames) {
        std::optional<QCursor> cursor = ReadFrame(frame);
        if (!cursor) return false;
        cursors.push_back(*cursor);
    }
    for (uint32_t i = 0; i < stepCount; ++i) {
        const uint32_t frame = sequence ? Le32(sequence->constData() + 4 * i) : i;
        if (frame >= cursors.size()) return false;
        const uint64_t jiffies = rates ? Le32(rates->constData() + 4 * i) : defaultRate;
        const uint64_t ms = std::min<uint64_t>(std::max<uint64_t>(jiffies * 1000 / 60, 1), kMaxMilliseconds);
        result.steps.push_back({cursors[frame], static_cast<int>(ms)});
    }
    return true;
}

bool LoadBusyCursor(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // A cursor file is a few kilobytes; anything far larger is not one.
    if (file.size() > 16 * 1024 * 1024) return false;
    auto cursor = std::make_unique<AnimatedCursor>();
    if (!ReadAnimatedCursor(file.readAll(), *cursor)) return false;
    Loaded() = std::move(cursor);
    return true;
}

void ResetBusyCursor() {
    Loaded().reset();
}

const AnimatedCursor *LoadedBusyCursor() {
    return Loaded().get();
}
