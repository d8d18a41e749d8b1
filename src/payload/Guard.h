#pragma once

#include <cstdint>

class CBlowfish;

// Holds the unscrambled key material and decodes the program's embedded items with it.
//
// The material is carried scrambled so that the cipher key never appears as such in the file;
// the moves and the XOR below undo that on a private copy. Every decode sets up its own cipher
// context and frees it again, so nothing derived from the key stays in memory between decodes.
class CGuard
{
  public:
    CGuard() = default;
    virtual ~CGuard();
    CGuard(const CGuard&) = delete;
    CGuard& operator=(const CGuard&) = delete;

    // Releases any previous material first, so a failed load leaves nothing loaded.
    int LoadKeyMaterial(const unsigned char* source, uint32_t length);
    // Harmless when nothing is loaded.
    void ReleaseKeyMaterial();
    bool HasKeyMaterial() const { return Material != nullptr; }

    // On entry *length is the carried (enciphered) length. Returns the content in a malloc'ed
    // buffer that the caller frees, sets *length to its length and *extra (when given) to the
    // header's Extra word. On failure returns null and leaves *length and *extra as they were.
    unsigned char* DecodeItem(const unsigned char* item, uint32_t* length, uint32_t* extra = nullptr) const;

    // Runs the key schedule over the cipher key inside the material; the packer enciphers with
    // the same context the decoder deciphers with.
    int InitCipher(CBlowfish* cipher) const;

    // Size of the buffer DecodeItem allocates for plainLength bytes: rounded down to even plus 2,
    // so one or two spare (uninitialised) bytes follow the content. 0 when that overflows.
    static int OutputSize(uint32_t plainLength, uint32_t* size);

    // The CRC-32 of zlib and PNG, started from 0; items carry it for their content and their
    // deflate data.
    static uint32_t Crc32(const unsigned char* data, uint32_t length);

    unsigned char* Material = nullptr;
    int32_t MaterialLength = 968;
    int32_t KeyOffset = 352;
    int32_t KeyLength = 495;
    int32_t MoveASource = 240;
    int32_t MoveADestination = 414;
    int32_t MoveACount = 65;
    int32_t MoveBSource = 637;
    int32_t MoveBDestination = 395;
    int32_t MoveBCount = 205;
    int32_t XorSource = 42;
    int32_t XorStart = 104;
    int32_t XorCount = 454;

  private:
    void MoveBytes(int32_t destination, int32_t source, int32_t count);
    void XorRange();
};
