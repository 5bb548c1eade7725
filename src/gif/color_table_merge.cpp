#include "gif/color_table_merge.h"

#include "gif/quick_sort.h"

#include <cstdlib>
#include <limits>

namespace morlo::gif {

namespace {

constexpr int kUnassigned = 256;

struct THistogramRecord {
    std::uint32_t count = 0;
    int index = 0; // the entry's index in its old table
    RgbColor color;
    int newIndex = kUnassigned;
    THistogramRecord* link = nullptr; // the record of the same colour that took this one's count
};

// The records of one old table and the frames that index into it.
struct THistogram {
    std::vector<THistogramRecord> records;
    std::vector<TGIFSubImage*> frames;
};

int colorValue(const RgbColor& color) {
    return color.red + 256 * color.green + 65536 * color.blue;
}

class TColorMapOptimizer {
public:
    explicit TColorMapOptimizer(TGIFImage& image) : image_(image) {}

    void run() {
        collectHistograms();
        for (THistogram& histogram : histograms_)
            for (TGIFSubImage* frame : histogram.frames)
                feed(histogram, *frame);
        buildTable();
        apply();
    }

private:
    void collectHistograms() {
        const TGIFColorMap& global = image_.globalColorMap();
        THistogram globalHistogram;
        for (int i = 0; i < image_.frameCount(); ++i) {
            TGIFSubImage& frame = image_.frame(i);
            if (frame.isEmpty())
                continue;
            if (!frame.localColorMap().isEmpty()) {
                THistogram histogram;
                histogram.records = recordsOf(frame.localColorMap());
                histogram.frames.push_back(&frame);
                histograms_.push_back(std::move(histogram));
            } else if (!global.isEmpty()) {
                globalHistogram.frames.push_back(&frame);
            }
        }
        if (!globalHistogram.frames.empty()) {
            globalHistogram.records = recordsOf(global);
            histograms_.insert(histograms_.begin(), std::move(globalHistogram));
        }
    }

    static std::vector<THistogramRecord> recordsOf(const TGIFColorMap& table) {
        std::vector<THistogramRecord> records(static_cast<std::size_t>(table.count()));
        for (int i = 0; i < table.count(); ++i) {
            records[static_cast<std::size_t>(i)].index = i;
            records[static_cast<std::size_t>(i)].color = table.entries()[static_cast<std::size_t>(i)];
        }
        return records;
    }

    void feed(THistogram& histogram, TGIFSubImage& frame) {
        const bool transparent = frame.transparent();
        const int transparentIndex = frame.transparentIndex();
        const std::size_t size = histogram.records.size();
        bool hasTransparentPixels = false;
        bool warned = false;
        for (std::uint8_t& pixel : frame.pixels) {
            if (transparent && pixel == transparentIndex) {
                hasTransparentPixels = true;
                continue;
            }
            if (pixel >= size) {
                if (!warned)
                    warn(image_.warningHandler(), "Color not in color table");
                warned = true;
                pixel = 0;
                if (size == 0)
                    continue;
            }
            ++histogram.records[pixel].count;
        }
        if (transparent && !hasTransparentPixels) {
            TGIFGraphicControlExtension* control = frame.controlExtension();
            control->setTransparent(false);
            control->setTransparentIndex(0);
        }
        transparencyUsed_ = transparencyUsed_ || hasTransparentPixels;
    }

    void buildTable() {
        auto byCount = [](const THistogramRecord* record) { return record->count; };
        std::vector<THistogramRecord*> pool;
        for (THistogram& histogram : histograms_) {
            // Sorting a copy of the pointers keeps records at their old indices for the remapping.
            std::vector<THistogramRecord*> sorted;
            for (THistogramRecord& record : histogram.records)
                sorted.push_back(&record);
            quickSortDescending(sorted, byCount);
            for (THistogramRecord* record : sorted) {
                if (record->count == 0)
                    break;
                pool.push_back(record);
            }
        }

        quickSortDescending(pool, [](const THistogramRecord* record) { return colorValue(record->color); });
        for (std::size_t i = 0; i < pool.size();) {
            std::size_t j = i + 1;
            while (j < pool.size() && pool[j]->color == pool[i]->color) {
                pool[i]->count += pool[j]->count;
                pool[j]->count = 0;
                pool[j]->link = pool[i];
                ++j;
            }
            i = j;
        }

        quickSortDescending(pool, byCount);
        const std::size_t limit = transparencyUsed_ ? 255 : 256;
        std::size_t kept = 0;
        while (kept < pool.size() && kept < limit && pool[kept]->count > 0) {
            pool[kept]->newIndex = static_cast<int>(kept);
            table_.push_back(pool[kept]->color);
            ++kept;
        }
        for (std::size_t i = kept; i < pool.size(); ++i) {
            THistogramRecord* record = pool[i];
            if (record->count == 0)
                continue;
            // The nearest kept colour by squared RGB distance, the first one winning ties, as every other
            // nearest-colour search of the module does. (Comparing only the summed channel differences would
            // map a blue onto an orange of the same brightness sum.)
            int best = 0;
            int bestDistance = std::numeric_limits<int>::max();
            for (std::size_t k = 0; k < kept; ++k) {
                const RgbColor& other = pool[k]->color;
                const int dr = record->color.red - other.red;
                const int dg = record->color.green - other.green;
                const int db = record->color.blue - other.blue;
                const int distance = dr * dr + dg * dg + db * db;
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = static_cast<int>(k);
                }
            }
            record->newIndex = best;
        }
        for (THistogramRecord* record : pool)
            if (record->link)
                record->newIndex = record->link->newIndex;
        if (transparencyUsed_) {
            newTransparentIndex_ = static_cast<int>(table_.size());
            table_.push_back({0, 0, 0});
        }
    }

    void apply() {
        for (int i = 0; i < image_.frameCount(); ++i)
            image_.frame(i).localColorMap().clear();
        image_.globalColorMap().assign(table_, true);

        for (THistogram& histogram : histograms_) {
            std::uint8_t map[256] = {};
            for (const THistogramRecord& record : histogram.records)
                if (record.newIndex != kUnassigned)
                    map[record.index] = static_cast<std::uint8_t>(record.newIndex);
            for (TGIFSubImage* frame : histogram.frames) {
                const bool remapTransparent = transparencyUsed_ && frame->transparent();
                const int oldTransparent = frame->transparentIndex();
                for (std::uint8_t& pixel : frame->pixels) {
                    if (remapTransparent && pixel == oldTransparent)
                        pixel = static_cast<std::uint8_t>(newTransparentIndex_);
                    else
                        pixel = map[pixel];
                }
                if (remapTransparent)
                    frame->controlExtension()->setTransparentIndex(newTransparentIndex_);
            }
        }
    }

    TGIFImage& image_;
    std::vector<THistogram> histograms_;
    bool transparencyUsed_ = false;
    int newTransparentIndex_ = 0;
    std::vector<RgbColor> table_;
};

} // namespace

void MergeColorTables(TGIFImage& image) {
    TColorMapOptimizer(image).run();
}

} // namespace morlo::gif
