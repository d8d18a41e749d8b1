// The one section of a layout library, built as bytes with the addresses that need relocating.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kbd
{

class Section
{
  public:
    Section(uint32_t rva, uint64_t imageBase, bool image64)
        : rva_(rva), imageBase_(imageBase), image64_(image64)
    {
    }

    size_t Here() const { return data_.size(); }
    uint32_t Rva(size_t offset) const { return rva_ + static_cast<uint32_t>(offset); }
    uint64_t Address(size_t offset) const { return imageBase_ + Rva(offset); }
    bool Image64() const { return image64_; }

    void Align(size_t a)
    {
        while (data_.size() % a)
            data_.push_back(0);
    }
    size_t U8(uint8_t v)
    {
        data_.push_back(v);
        return data_.size() - 1;
    }
    size_t U16(uint16_t v)
    {
        size_t at = U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
        return at;
    }
    size_t U32(uint32_t v)
    {
        size_t at = U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
        return at;
    }
    size_t U64(uint64_t v)
    {
        size_t at = U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
        return at;
    }
    size_t Bytes(const std::vector<uint8_t>& b)
    {
        size_t at = data_.size();
        data_.insert(data_.end(), b.begin(), b.end());
        return at;
    }
    size_t Text(const std::u16string& s)
    { // zero-terminated UTF-16
        size_t at = Here();
        for (char16_t c : s)
            U16(c);
        U16(0);
        return at;
    }
    size_t Ascii(const std::string& s)
    {
        size_t at = Here();
        for (char c : s)
            U8(static_cast<uint8_t>(c));
        U8(0);
        return at;
    }
    // A slot of width bytes holding the address of target, with its base relocation. A 32-bit image
    // may hold 8-byte slots (the 64-bit table layout); its addresses fit in the low half.
    size_t Pointer(size_t target, int width)
    {
        size_t at = Here();
        relocations_.push_back(Rva(at));
        if (width == 8)
            U64(Address(target));
        else
            U32(static_cast<uint32_t>(Address(target)));
        return at;
    }
    size_t Null(int width)
    {
        size_t at = Here();
        for (int i = 0; i < width; ++i)
            U8(0);
        return at;
    }
    void AddRelocation(size_t offset) { relocations_.push_back(Rva(offset)); }
    void Put32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            data_[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
    void Put16(size_t at, uint16_t v)
    {
        data_[at] = static_cast<uint8_t>(v);
        data_[at + 1] = static_cast<uint8_t>(v >> 8);
    }

    const std::vector<uint8_t>& Data() const { return data_; }
    const std::vector<uint32_t>& Relocations() const { return relocations_; }

  private:
    uint32_t rva_;
    uint64_t imageBase_;
    bool image64_;
    std::vector<uint8_t> data_;
    std::vector<uint32_t> relocations_;
};

} // namespace kbd
