#include "support/replay_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testsupport {
namespace {

Bytes Deflate(const Bytes& data, int level, int flush) {
  z_stream stream{};
  if (deflateInit(&stream, level) != Z_OK) throw std::runtime_error("deflateInit");
  Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())) + 64);
  stream.next_in = const_cast<Bytef*>(data.data());
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&stream, flush);
  const bool ok = flush == Z_FINISH ? status == Z_STREAM_END : status == Z_OK;
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (!ok) throw std::runtime_error("deflate");
  return out;
}

}  // namespace

Bytes DeflateFlushed(const Bytes& data, int level) {
  return Deflate(data, level, Z_SYNC_FLUSH);
}
Bytes DeflateFinished(const Bytes& data, int level) {
  return Deflate(data, level, Z_FINISH);
}

std::vector<Block> MakeBlocks(const Bytes& game, size_t blockSize) {
  std::vector<Block> blocks;
  for (size_t start = 0; start < game.size(); start += blockSize) {
    Bytes part(
        game.begin() + static_cast<std::ptrdiff_t>(start),
        game.begin() + static_cast<std::ptrdiff_t>(std::min(game.size(), start + blockSize)));
    part.resize(blockSize, 0);
    Block block;
    block.compressed = DeflateFlushed(part);
    block.compressedLength = static_cast<uint32_t>(block.compressed.size());
    block.decompressedLength = static_cast<uint32_t>(blockSize);
    blocks.push_back(std::move(block));
  }
  return blocks;
}

Bytes WriteReplay(const ReplayHeader& header, const std::vector<Block>& blocks,
                  uint32_t decompressedSize) {
  const uint32_t subHeaderSize = header.headerVersion == 0 ? 16 : 20;
  const uint32_t headerSize = 48 + subHeaderSize;
  ByteWriter body;
  for (const Block& block : blocks) {
    if (header.wideBlocks) {
      body.U32(block.compressedLength).U32(block.decompressedLength);
    } else {
      body.U16(static_cast<uint16_t>(block.compressedLength))
          .U16(static_cast<uint16_t>(block.decompressedLength));
    }
    body.U32(block.checksum).Raw(block.compressed);
  }
  ByteWriter file;
  file.Text("Warcraft III recorded game", false).U8(0x1A).U8(0);
  file.U32(header.headerSize.value_or(headerSize));
  file.U32(header.compressedSize.value_or(headerSize + static_cast<uint32_t>(body.size())));
  file.U32(header.headerVersion);
  file.U32(header.decompressedSize.value_or(decompressedSize));
  file.U32(header.blockCount.value_or(static_cast<uint32_t>(blocks.size())));
  if (header.headerVersion == 0) {
    file.U16(0)
        .U16(static_cast<uint16_t>(header.gameVersion))
        .U16(header.buildNumber)
        .U16(header.replayFlags);
    file.U32(header.replayLength).U32(header.headerChecksum);
  } else {
    std::string product = header.product;
    product.resize(4, '\0');
    file.Text(product, false)
        .U32(header.gameVersion)
        .U16(header.buildNumber)
        .U16(header.replayFlags);
    file.U32(header.replayLength).U32(header.headerChecksum);
  }
  file.Raw(body.bytes());
  return file.bytes();
}

Bytes BuildReplay(const Bytes& game, const ReplayHeader& header, size_t blockSize) {
  return WriteReplay(header, MakeBlocks(game, blockSize), static_cast<uint32_t>(game.size()));
}

}  // namespace testsupport
