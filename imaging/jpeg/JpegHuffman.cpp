#include "imaging/jpeg/JpegHuffman.h"

#include <algorithm>
#include <numeric>

void Tsd8bitHuffmanDecoder::Build(const TsdHuffmanTable& table) {
  Nodes.assign(1, {});
  for (const TsdHuffmanCode& code : table.Codes) {
    std::size_t node = 0;
    int length = code.L;
    std::uint32_t bits = code.Code;
    while (length > 8) {
      length -= 8;
      const std::uint32_t index = (bits >> length) & 0xFF;
      if (Nodes[node][index].Link == 0) {
        // Growing the node list moves the nodes: link by index, not by reference.
        Nodes[node][index].Link = static_cast<std::uint16_t>(Nodes.size());
        Nodes.emplace_back();
      }
      node = Nodes[node][index].Link;
      bits &= (1u << length) - 1;
    }
    const std::uint32_t first = bits << (8 - length);
    const std::uint32_t span = 1u << (8 - length);
    for (std::uint32_t i = first; i < first + span; ++i) Nodes[node][i] = {static_cast<std::uint8_t>(length), code.V, 0};
  }
  BuildRunValues(table);
}

void Tsd8bitHuffmanDecoder::BuildRunValues(const TsdHuffmanTable& table) {
  RunValues.fill(0);
  for (const TsdHuffmanCode& code : table.Codes) {
    const int run = code.V >> 4, size = code.V & 15, taken = code.L + size;
    if (size == 0 || taken > kLookaheadBits) continue;
    // Every lookahead that starts with the code, for each value the next bits give.
    for (std::uint32_t bits = 0; bits < (1u << size); ++bits) {
      const std::uint32_t prefix = (std::uint32_t{code.Code} << size | bits) << (kLookaheadBits - taken);
      const std::int32_t entry = jpeg::Extend(bits, size) * 256 + run * 16 + taken;
      for (std::uint32_t rest = 0; rest < (1u << (kLookaheadBits - taken)); ++rest) RunValues[prefix | rest] = entry;
    }
  }
}

void Tsd8bitHuffmanEncoder::Build(const TsdHuffmanTable& table) {
  Lengths.fill(0);
  Codes.fill(0);
  for (const TsdHuffmanCode& code : table.Codes) {
    Codes[code.V] = code.Code;
    Lengths[code.V] = code.L;
  }
}

namespace jpeg {

namespace {

struct Leaf {
  int Symbol;
  std::uint32_t Count;
  int Length;
};

// Code lengths of a Huffman tree over the leaves (a single leaf gets 1).
void AssignTreeDepths(std::vector<Leaf>& leaves) {
  if (leaves.size() == 1) {
    leaves[0].Length = 1;
    return;
  }
  struct Node {
    std::uint64_t Count;
    std::vector<std::size_t> Leaves;  // leaves under this node
  };
  std::vector<Node> nodes;
  for (std::size_t i = 0; i < leaves.size(); ++i) nodes.push_back({leaves[i].Count, {i}});
  const auto byCountDescending = [](const Node& a, const Node& b) { return a.Count > b.Count; };
  std::stable_sort(nodes.begin(), nodes.end(), byCountDescending);
  while (nodes.size() >= 2) {
    Node last = std::move(nodes.back());
    nodes.pop_back();
    Node beforeLast = std::move(nodes.back());
    nodes.pop_back();
    Node parent{last.Count + beforeLast.Count, std::move(beforeLast.Leaves)};
    parent.Leaves.insert(parent.Leaves.end(), last.Leaves.begin(), last.Leaves.end());
    for (std::size_t leaf : parent.Leaves) ++leaves[leaf].Length;
    nodes.insert(std::lower_bound(nodes.begin(), nodes.end(), parent, byCountDescending), std::move(parent));
  }
}

void SortByLengthThenCount(std::vector<Leaf>& leaves) {
  std::stable_sort(leaves.begin(), leaves.end(), [](const Leaf& a, const Leaf& b) {
    return a.Length != b.Length ? a.Length < b.Length : a.Count > b.Count;
  });
}

// Shortens codes beyond 16 bits as T.81 Annex K.3 does, keeping a prefix code.
void LimitLengths(std::vector<Leaf>& leaves) {
  while (leaves.back().Length > 16) {
    Leaf& a = leaves[leaves.size() - 1];
    Leaf& b = leaves[leaves.size() - 2];
    auto c = std::find_if(leaves.rbegin(), leaves.rend(), [&](const Leaf& l) { return l.Length <= a.Length - 2; });
    if (c == leaves.rend()) throw EInvalidGraphic("Cannot limit Huffman code lengths");
    --a.Length;
    ++c->Length;
    b.Length = c->Length;
    SortByLengthThenCount(leaves);
  }
}

}  // namespace

TsdDHTTable OptimizedTable(const std::array<std::uint32_t, 256>& counts, int tableClass, int tableId) {
  std::vector<Leaf> leaves;
  for (int symbol = 0; symbol < 256; ++symbol)
    if (counts[static_cast<std::size_t>(symbol)] > 0) leaves.push_back({symbol, counts[static_cast<std::size_t>(symbol)], 0});
  TsdDHTTable table;
  table.TableClass = static_cast<std::uint8_t>(tableClass);
  table.TableId = static_cast<std::uint8_t>(tableId);
  if (leaves.empty()) return table;
  AssignTreeDepths(leaves);
  SortByLengthThenCount(leaves);
  ++leaves.back().Length;  // keeps the all-ones code free
  LimitLengths(leaves);
  for (const Leaf& leaf : leaves) {
    ++table.Counts[static_cast<std::size_t>(leaf.Length - 1)];
    table.Values.push_back(static_cast<std::uint8_t>(leaf.Symbol));
  }
  return table;
}

namespace {

struct StandardSpec {
  std::array<std::uint8_t, 16> Counts;
  std::vector<std::uint8_t> Values;
};

const StandardSpec& Standard(int tableClass, bool chrominance) {
  static const StandardSpec kLumaDC{{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
  static const StandardSpec kChromaDC{{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
  static const StandardSpec kLumaAC{
      {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
      {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
       0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
       0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
       0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
       0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
       0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
       0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
       0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
       0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa}};
  static const StandardSpec kChromaAC{
      {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
      {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
       0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
       0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
       0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
       0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
       0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
       0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
       0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
       0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa}};
  if (tableClass == 0) return chrominance ? kChromaDC : kLumaDC;
  return chrominance ? kChromaAC : kLumaAC;
}

}  // namespace

TsdDHTTable StandardTable(int tableClass, int tableId, bool chrominance) {
  const StandardSpec& spec = Standard(tableClass, chrominance);
  TsdDHTTable table;
  table.TableClass = static_cast<std::uint8_t>(tableClass);
  table.TableId = static_cast<std::uint8_t>(tableId);
  table.Counts = spec.Counts;
  table.Values = spec.Values;
  return table;
}

}  // namespace jpeg
