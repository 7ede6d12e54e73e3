// Keys derived once per run: the inside of the database layer (db.h has the
// public side).
//
// SQLCipher 3 turns a passphrase into the page key with PBKDF2-HMAC-SHA1,
// 64,000 rounds, over the 16 bytes of salt that start the file. That is tens
// of milliseconds, paid again by every connection, and every window opens its
// own. The key depends on nothing but the password and the salt, so it is
// derived here once per file, salt and password, kept in memory that is wiped
// when it is dropped, and handed to SQLCipher in its raw form together with
// the salt, which the library takes as it is.
#pragma once

#include <string>
#include <utility>

namespace db::detail {

// A key in SQLCipher's raw form, "x'<64 hex digits of key><32 of salt>'".
// Wiped when it goes; empty when there is none.
class RawKey {
public:
    RawKey() = default;
    explicit RawKey(std::string text) : text_(std::move(text)) {}
    ~RawKey();
    RawKey(const RawKey&) = delete;
    RawKey& operator=(const RawKey&) = delete;
    RawKey(RawKey&& other) noexcept : text_(std::move(other.text_)) { other.text_.clear(); }
    RawKey& operator=(RawKey&&) = delete;

    bool empty() const { return text_.empty(); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// The raw key for `file` as it is at this moment under `password`: the one
// kept for that file, salt and password, else one derived now and kept. Waits
// while another thread derives that very key. Empty when the file has no salt
// to read (missing, not a regular file, shorter than a salt) or the password
// is empty.
RawKey raw_key_for(const std::string& file, const std::string& password);

// Tests count what happened through db::detail::key_counts() (testing.h).
void count_raw_key_open();

}  // namespace db::detail
