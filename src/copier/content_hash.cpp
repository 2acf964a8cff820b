#include "copier/content_hash.h"

#include <xxhash.h>

#include <new>

ContentHash::ContentHash() : m_state(XXH3_createState()) {
    if (m_state == nullptr)
        throw std::bad_alloc();
    XXH3_128bits_reset(m_state);
}

ContentHash::~ContentHash() {
    XXH3_freeState(m_state);
}

void ContentHash::add(const char* data, std::size_t size) {
    XXH3_128bits_update(m_state, data, size);
}

QByteArray ContentHash::text() const {
    // The canonical form is big-endian, the order in which the digits are read.
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(m_state));
    return QByteArrayLiteral("xxh128:") +
           QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest)
               .toHex();
}
