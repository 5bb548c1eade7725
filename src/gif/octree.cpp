#include "gif/octree.h"

#include <algorithm>

namespace morlo::gif {

namespace {
constexpr int kCachedLevels = 5;

inline std::size_t cellOf(RgbColor color) {
    return (static_cast<std::size_t>(color.red >> 3) << 10) |
           (static_cast<std::size_t>(color.green >> 3) << 5) | static_cast<std::size_t>(color.blue >> 3);
}
} // namespace

TColorQuantizer::TColorQuantizer(int bits) : colorCount_(1 << std::clamp(bits, 0, 8)), leafCells_(32768, 0) {
    nodes_.reserve(1024);
    root_ = newNode(0);
}

std::int32_t TColorQuantizer::newNode(int level) {
    std::int32_t index;
    if (!freeNodes_.empty()) {
        index = freeNodes_.back();
        freeNodes_.pop_back();
        nodes_[static_cast<std::size_t>(index)] = TOctreeNode{};
    } else {
        index = static_cast<std::int32_t>(nodes_.size());
        nodes_.emplace_back();
    }
    TOctreeNode& node = nodes_[static_cast<std::size_t>(index)];
    node.children.fill(-1);
    if (level == 8) {
        node.isLeaf = true;
        ++leafCount_;
    } else {
        innerNodes_[static_cast<std::size_t>(level)].push_back(index);
    }
    return index;
}

void TColorQuantizer::freeNode(std::int32_t index) {
    freeNodes_.push_back(index);
}

void TColorQuantizer::addColor(RgbColor color) {
    std::int32_t current;
    const std::size_t cell = cellOf(color);
    if (lastLeaf_ >= 0 && color == lastColor_) {
        current = lastLeaf_;
    } else if ((leafCells_[cell] >> 16) == generation_) {
        current = static_cast<std::int32_t>(leafCells_[cell] & 0xFFFF);
    } else {
        current = root_;
        int level = 0;
        for (; !nodes_[static_cast<std::size_t>(current)].isLeaf; ++level) {
            const int shift = 7 - level;
            const int child = (((color.red >> shift) & 1) << 2) | (((color.green >> shift) & 1) << 1) |
                              ((color.blue >> shift) & 1);
            std::int32_t next =
                nodes_[static_cast<std::size_t>(current)].children[static_cast<std::size_t>(child)];
            if (next < 0) {
                next = newNode(level + 1); // may reallocate nodes_
                nodes_[static_cast<std::size_t>(current)].children[static_cast<std::size_t>(child)] = next;
            }
            current = next;
        }
        if (level <= kCachedLevels && current <= 0xFFFF)
            leafCells_[cell] = (generation_ << 16) | static_cast<std::uint32_t>(current);
    }
    TOctreeNode& leaf = nodes_[static_cast<std::size_t>(current)];
    ++leaf.pixelCount;
    leaf.redSum += color.red;
    leaf.greenSum += color.green;
    leaf.blueSum += color.blue;
    lastLeaf_ = current;
    lastColor_ = color;
    while (leafCount_ > colorCount_ && reduce()) {
    }
}

void TColorQuantizer::addPixels(const RgbBitmap& bitmap) {
    for (const RgbColor& color : bitmap.pixels)
        addColor(color);
}

bool TColorQuantizer::reduce() {
    int level = 7;
    while (level > 0 && innerNodes_[static_cast<std::size_t>(level)].empty())
        --level;
    auto& list = innerNodes_[static_cast<std::size_t>(level)];
    if (list.empty())
        return false;
    const std::int32_t index = list.back();
    list.pop_back();
    TOctreeNode& node = nodes_[static_cast<std::size_t>(index)];
    int children = 0;
    for (std::int32_t& childIndex : node.children) {
        if (childIndex < 0)
            continue;
        const TOctreeNode& child = nodes_[static_cast<std::size_t>(childIndex)];
        node.pixelCount += child.pixelCount;
        node.redSum += child.redSum;
        node.greenSum += child.greenSum;
        node.blueSum += child.blueSum;
        freeNode(childIndex);
        childIndex = -1;
        ++children;
    }
    node.isLeaf = true;
    leafCount_ -= children - 1;
    lastLeaf_ = -1;
    if (++generation_ == 0x10000) {
        std::fill(leafCells_.begin(), leafCells_.end(), 0);
        generation_ = 1;
    }
    return true;
}

Palette TColorQuantizer::palette() const {
    Palette result;
    result.reserve(static_cast<std::size_t>(colorCount_));
    // Depth-first walk with an explicit stack; children are pushed in reverse so 0 is visited first.
    std::vector<std::int32_t> stack{root_};
    while (!stack.empty()) {
        const TOctreeNode& node = nodes_[static_cast<std::size_t>(stack.back())];
        stack.pop_back();
        if (node.isLeaf) {
            if (node.pixelCount > 0)
                result.push_back({static_cast<std::uint8_t>(node.redSum / node.pixelCount),
                                  static_cast<std::uint8_t>(node.greenSum / node.pixelCount),
                                  static_cast<std::uint8_t>(node.blueSum / node.pixelCount)});
            else
                result.push_back({});
            continue;
        }
        for (int child = 7; child >= 0; --child)
            if (node.children[static_cast<std::size_t>(child)] >= 0)
                stack.push_back(node.children[static_cast<std::size_t>(child)]);
    }
    result.resize(static_cast<std::size_t>(colorCount_));
    return result;
}

} // namespace morlo::gif
