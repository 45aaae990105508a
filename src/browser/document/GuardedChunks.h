#pragma once

// Small blocks for the engine's own allocators (the page parser's and the script heap's) when the
// program is built with AddressSanitizer. The sanitizer's own allocator costs several times more
// per block than the parse or the script that asks for it (a stack trace for every block, and a
// quarantine that evicts the freed ones from the cache); these blocks are guarded much as it guards
// them, at little cost:
// - they are cut one after another from large chunks, which are out of bounds but for the blocks
//   handed out; each block's header, and the rounding after its end, stand between it and the next;
// - a freed block is put out of bounds and never handed out again while its chunks live, and a
//   second free of it ends the process with a message;
// - the chunks themselves are freed to the sanitizer, which keeps them in its quarantine.
// The sanitizer thus sees, to the byte, every read and write that runs on past a block's end and
// every one into a freed block: ours, and the C libraries' ones through the functions it watches.
// Two blocks are at least 16 bytes apart, where the sanitizer leaves more beside larger blocks:
// an access that jumps further past a block's end, into the next block in use, is not seen. A
// report also lacks the stacks of the block's allocation and free.
//
// Every block is preceded by a mark and its size (kHeaderBytes, right before the address handed
// out); an allocator that also hands out blocks of its own keeps the same two words right before
// them, with a mark of its own, so that MarkOf tells the two apart.
//
// Without the sanitizer, kEnabled is false and nothing here is used.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QUORVANE_GUARDED_CHUNKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVANE_GUARDED_CHUNKS 1
#endif
#endif
#ifdef QUORVANE_GUARDED_CHUNKS
#include <sanitizer/asan_interface.h>
// Reads and writes of the headers, which stand out of bounds.
#define QUORVANE_HEADER_ACCESS __attribute__((no_sanitize("address")))
#else
#define QUORVANE_HEADER_ACCESS
#endif

class GuardedChunks
{
public:
#ifdef QUORVANE_GUARDED_CHUNKS
    static constexpr bool kEnabled = true;
#else
    static constexpr bool kEnabled = false;
#endif
    static constexpr size_t kUnit = alignof(std::max_align_t);
    static constexpr size_t kHeaderBytes = kUnit;
    static constexpr size_t kInUse = 0x5155;
    static constexpr size_t kFreed = 0x4652;

    // Chunks of lngChunkBytes each, lngLimitBytes of them in all: past that, Take gives null.
    GuardedChunks(size_t lngChunkBytes, size_t lngLimitBytes)
        : m_lngChunkBytes(lngChunkBytes)
        , m_lngLimitBytes(lngLimitBytes)
    { }
    ~GuardedChunks()
    {
        Release();
    }
    GuardedChunks(const GuardedChunks&) = delete;
    GuardedChunks& operator=(const GuardedChunks&) = delete;

    void SetLimit(size_t lngLimitBytes)
    {
        m_lngLimitBytes = lngLimitBytes;
    }

    // A block of lngSize bytes, or null when it does not fit in a chunk or the chunks are at their limit.
    void* Take(size_t lngSize)
    {
        const size_t lngNeeded = kHeaderBytes + std::max<size_t>(kUnit, RoundedUp(lngSize));
        if (lngNeeded > m_lngLeft) {
            if (lngNeeded > m_lngChunkBytes || m_lngTakenBytes + m_lngChunkBytes > m_lngLimitBytes)
                return nullptr;
            char* chunk = static_cast<char*>(std::malloc(m_lngChunkBytes));
            if (!chunk)
                return nullptr;
            m_chunks.push_back(chunk);
            m_next = chunk;
            m_lngLeft = m_lngChunkBytes;
            m_lngTakenBytes += m_lngChunkBytes;
            SetInBounds(chunk, m_lngChunkBytes, false);
        }
        char* block = m_next + kHeaderBytes;
        WriteHeader(block, kInUse, lngSize);
        m_next += lngNeeded;
        m_lngLeft -= lngNeeded;
        SetInBounds(block, lngSize, true);
        return block;
    }

    // Puts a block of Take out of bounds for good.
    static void Give(void* block)
    {
        if (MarkOf(block) != kInUse) {
            std::fprintf(stderr, "guarded chunks: block %p freed twice\n", block);
            std::abort();
        }
        const size_t lngSize = SizeOf(block);
        WriteHeader(block, kFreed, lngSize);
        SetInBounds(block, std::max<size_t>(kUnit, RoundedUp(lngSize)), false);
    }

    // Frees every chunk, and with them every block.
    void Release()
    {
        for (char* chunk : m_chunks) {
            SetInBounds(chunk, m_lngChunkBytes, true);
            std::free(chunk);
        }
        m_chunks.clear();
        m_next = nullptr;
        m_lngLeft = 0;
        m_lngTakenBytes = 0;
    }

    QUORVANE_HEADER_ACCESS static size_t MarkOf(const void* block)
    {
        return static_cast<const size_t*>(block)[-2];
    }

    // The size the block was asked for.
    QUORVANE_HEADER_ACCESS static size_t SizeOf(const void* block)
    {
        return static_cast<const size_t*>(block)[-1];
    }

private:
    static size_t RoundedUp(size_t lngSize)
    {
        return (lngSize + kUnit - 1) / kUnit * kUnit;
    }

    QUORVANE_HEADER_ACCESS static void WriteHeader(void* block, size_t lngMark, size_t lngSize)
    {
        static_cast<size_t*>(block)[-2] = lngMark;
        static_cast<size_t*>(block)[-1] = lngSize;
    }

    // Marks memory as addressable, or not, for the sanitizer.
    static void SetInBounds(const void* pointer, size_t lngSize, bool blnInBounds)
    {
#ifdef QUORVANE_GUARDED_CHUNKS
        if (blnInBounds)
            ASAN_UNPOISON_MEMORY_REGION(pointer, lngSize);
        else
            ASAN_POISON_MEMORY_REGION(pointer, lngSize);
#else
        static_cast<void>(pointer);
        static_cast<void>(lngSize);
        static_cast<void>(blnInBounds);
#endif
    }

    size_t m_lngChunkBytes;
    size_t m_lngLimitBytes;
    std::vector<char*> m_chunks;
    char* m_next = nullptr;
    size_t m_lngLeft = 0;
    size_t m_lngTakenBytes = 0;
};
