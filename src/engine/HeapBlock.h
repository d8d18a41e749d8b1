// Owner of a malloc'ed block: decoded items, fetched patterns, registry values, encoded tables.
#pragma once

#include <cstdint>
#include <cstdlib>

class CHeapBlock
{
  public:
    CHeapBlock() = default;
    explicit CHeapBlock(unsigned char* bytes) : Bytes(bytes) {}
    ~CHeapBlock() { free(Bytes); }
    CHeapBlock(const CHeapBlock&) = delete;
    CHeapBlock& operator=(const CHeapBlock&) = delete;

    unsigned char* Get() const { return Bytes; }
    explicit operator bool() const { return Bytes != nullptr; }
    void Reset(unsigned char* bytes = nullptr)
    {
        free(Bytes);
        Bytes = bytes;
    }
    unsigned char* Detach()
    {
        unsigned char* bytes = Bytes;
        Bytes = nullptr;
        return bytes;
    }

  private:
    unsigned char* Bytes = nullptr;
};
