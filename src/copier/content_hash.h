#pragma once

#include <QByteArray>

#include <cstddef>

struct XXH3_state_s;

// A 128-bit XXH3 hash of data fed to it piece by piece: fast enough to keep
// up with a disk, and wide enough that two different contents do not share
// a hash by chance.
class ContentHash {
  public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;

    void add(const char* data, std::size_t size);
    // "xxh128:" and the hash as 32 lowercase hexadecimal digits.
    QByteArray text() const;

  private:
    XXH3_state_s* m_state;
};
