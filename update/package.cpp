#include "update/package.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "update/handover.h"

namespace {

constexpr size_t kCountWidth = 3;
constexpr size_t kLengthWidth = 10;
constexpr size_t kRecordWidth = 32;
constexpr size_t kIdWidth = 3;
constexpr size_t kDateWidth = 10;

std::string_view lines(std::string_view& text) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    std::string_view line = text.substr(0, end);
    // A line ends in a carriage return, a line feed or both.
    size_t next = end;
    if (next < text.size() && text[next] == '\r') ++next;
    if (next < text.size() && text[next] == '\n') ++next;
    text.remove_prefix(next);
    return line;
}

// The name on the index line whose id is the one sought; the first line is a
// heading, and an empty line ends the index.
std::string findName(std::string_view index, int64_t id) {
    if (index.empty()) return {};
    lines(index);
    while (!index.empty()) {
        std::string_view line = lines(index);
        if (line.empty()) break;
        const size_t marks = line.find("##");
        if (marks == std::string_view::npos) continue;
        const int64_t lineId = PackageNumber(line.substr(0, marks));
        std::string_view rest = line.substr(marks + 2);
        rest = rest.substr(0, rest.find("##"));
        if (lineId == id) return std::string(rest);
    }
    return {};
}

}  // namespace

int64_t PackageNumber(std::string_view field) {
    size_t at = 0;
    while (at < field.size() && field[at] == ' ') ++at;
    bool negative = false;
    if (at < field.size() && (field[at] == '-' || field[at] == '+')) negative = field[at++] == '-';
    if (at == field.size()) return -1;
    // No field of a package is longer than ten digits; an id of more is no number.
    if (field.size() - at > 12) return -1;
    int64_t value = 0;
    for (; at < field.size(); ++at) {
        if (field[at] < '0' || field[at] > '9') return -1;
        value = value * 10 + (field[at] - '0');
    }
    return negative ? -value : value;
}

std::unique_ptr<TUPDATEDATA> TUPDATEDATA::Create(std::vector<uint8_t> package) {
    std::unique_ptr<TUPDATEDATA> update(new TUPDATEDATA(std::move(package)));
    const std::string_view bytes(reinterpret_cast<const char*>(update->data_.data()), update->data_.size());
    if (bytes.size() < kCountWidth) return nullptr;
    const int64_t count = PackageNumber(bytes.substr(0, kCountWidth));
    if (count < 0) return nullptr;
    update->count_ = static_cast<size_t>(count);
    size_t at = kCountWidth;
    for (int64_t i = 0; i <= count; ++i) {
        if (bytes.size() - at < kLengthWidth) return nullptr;
        const int64_t length = PackageNumber(bytes.substr(at, kLengthWidth));
        at += kLengthWidth;
        if (length < 0 || static_cast<uint64_t>(length) > bytes.size() - at) return nullptr;
        TUPDATEENTRY entry;
        entry.offset = at;
        entry.length = static_cast<uint32_t>(length);
        update->entries_.push_back(entry);
        at += static_cast<size_t>(length);
    }
    update->trailer_ = at;
    return update;
}

std::string_view TUPDATEDATA::Block(size_t i) const {
    return {reinterpret_cast<const char*>(data_.data()) + entries_[i].offset, entries_[i].length};
}

bool TUPDATEDATA::Index() {
    const std::string_view bytes(reinterpret_cast<const char*>(data_.data()), data_.size());
    size_t at = trailer_ + kLengthWidth;
    if (at > bytes.size() || (bytes.size() - at) / kRecordWidth < count_ ||
        bytes.size() - at - count_ * kRecordWidth < kDateWidth)
        return false;
    const std::string_view index = Block(count_);
    for (size_t i = 0; i < count_; ++i, at += kRecordWidth) {
        const int64_t id = PackageNumber(bytes.substr(at, kIdWidth));
        const int64_t size = PackageNumber(bytes.substr(at + kIdWidth, kLengthWidth));
        if (id < 0 || size < 0 || size > kMaxPackageBytes) return false;
        entries_[i].name = findName(index, id);
        entries_[i].unpackedSize = static_cast<uint32_t>(size);
        if (entries_[i].name.empty()) return false;
    }
    date_ = std::string(bytes.substr(at, kDateWidth));
    return true;
}

bool TUPDATEDATA::Unpack(size_t i, std::vector<uint8_t>& out) const {
    out.clear();
    if (i >= count_) return false;
    const TUPDATEENTRY& entry = entries_[i];
    if (entry.unpackedSize == 0) return false;
    out.resize(entry.unpackedSize);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data_.data() + entry.offset);
    stream.avail_in = entry.length;
    stream.next_out = out.data();
    stream.avail_out = entry.unpackedSize;
    int status = inflate(&stream, Z_FINISH);
    const uLong produced = stream.total_out;
    const bool notZlib = status == Z_DATA_ERROR && stream.total_in <= 2;
    inflateEnd(&stream);
    if (notZlib && entry.length == entry.unpackedSize) {
        // A file stored as it is, not packed.
        std::memcpy(out.data(), data_.data() + entry.offset, entry.length);
        return true;
    }
    // The stream must end exactly at the recorded size.
    if (status != Z_STREAM_END || produced != entry.unpackedSize) {
        out.clear();
        return false;
    }
    return true;
}

bool IsPackageNote(std::string_view name) { return name == kSignatureEntryName || name == kEditionEntryName; }

std::string OtherEditionText(std::string_view received, std::string_view own) {
    const std::string which = received.empty() ? "another" : "the " + std::string(received);
    return "The received update is for " + which + " edition of Varnok scan, and this is the " + std::string(own) +
           " edition.";
}

std::string TUPDATEDATA::Edition() const {
    for (size_t i = 0; i < count_; ++i) {
        if (entries_[i].name != kEditionEntryName) continue;
        std::vector<uint8_t> bytes;
        // Its recorded size is read before unpacking: an edition is a word.
        if (entries_[i].unpackedSize > 16 || !Unpack(i, bytes)) return {};
        const std::string edition(bytes.begin(), bytes.end());
        return edition == kEditionX86 || edition == kEditionX64 ? edition : std::string();
    }
    return std::string(kEditionX86);
}

std::optional<size_t> TUPDATEDATA::SignatureEntry() const {
    for (size_t i = 0; i < count_; ++i)
        if (entries_[i].name == kSignatureEntryName)
            return entries_[i].unpackedSize <= kMaxSignatureBytes && entries_[i].length <= 2 * kMaxSignatureBytes
                       ? std::optional<size_t>(i)
                       : std::nullopt;
    return std::nullopt;
}

void TUPDATEDATA::ForEachSignedPiece(int32_t product, const std::function<void(std::string_view)>& take) const {
    take("VARNOK-UPDATE-2\nprog=" + std::to_string(product) + "\n" + date_);
    for (size_t i = 0; i < count_; ++i) {
        if (entries_[i].name == kSignatureEntryName) continue;
        std::string head;
        AppendNumber(head, static_cast<uint32_t>(entries_[i].name.size()));
        head += entries_[i].name;
        AppendNumber(head, entries_[i].unpackedSize);
        AppendNumber(head, entries_[i].length);
        take(head);
        take(Block(i));
    }
}

std::string TUPDATEDATA::SignedMessage(int32_t product) const {
    std::string message;
    ForEachSignedPiece(product, [&](std::string_view piece) { message += piece; });
    return message;
}
