#pragma once
// In-memory little-endian streams for the binary data files. The reader never
// reads past its end: short reads leave the destination unchanged beyond what
// was there, and lengths that cannot fit are refused before any allocation.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rs {

class EReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class TByteWriter
{
public:
    std::size_t Position() const { return FPos; }
    void Seek(std::size_t pos) { FPos = pos; }
    void Write(const void* data, std::size_t n)
    {
        if (FPos + n > FBuf.size())
            FBuf.resize(FPos + n);
        std::memcpy(FBuf.data() + FPos, data, n);
        FPos += n;
    }
    template <class T> void WriteValue(T v) { Write(&v, sizeof v); } // little-endian hosts only
    void WriteU8(std::uint8_t v) { WriteValue(v); }
    void WriteI32(std::int32_t v) { WriteValue(v); }
    void WriteU32(std::uint32_t v) { WriteValue(v); }
    void WriteF32(float v) { WriteValue(v); }
    void WriteF64(double v) { WriteValue(v); }
    // uint32 byte count, then the bytes.
    void WriteString(std::string_view s)
    {
        WriteU32(std::uint32_t(s.size()));
        Write(s.data(), s.size());
    }
    const std::string& Data() const { return FBuf; }
    std::size_t Size() const { return FBuf.size(); }

private:
    std::string FBuf;
    std::size_t FPos = 0;
};

class TByteReader
{
public:
    TByteReader(const char* data, std::size_t size) : FData(data), FSize(size) {}
    explicit TByteReader(std::string_view s) : FData(s.data()), FSize(s.size()) {}
    std::size_t Position() const { return FPos; }
    std::size_t Size() const { return FSize; }
    std::size_t Remaining() const { return FPos < FSize ? FSize - FPos : 0; }
    void Seek(std::size_t pos) { FPos = pos; }
    // Copies what is there, up to n bytes; returns how many.
    std::size_t Read(void* dest, std::size_t n)
    {
        std::size_t k = n < Remaining() ? n : Remaining();
        if (k)
            std::memcpy(dest, FData + FPos, k);
        FPos += k;
        return k;
    }
    void ReadExact(void* dest, std::size_t n)
    {
        if (Remaining() < n)
            throw EReadError("Erro de leitura: fim do arquivo inesperado.");
        Read(dest, n);
    }
    template <class T> void ReadValue(T& v) { Read(&v, sizeof v); }
    std::string ReadString()
    {
        std::uint32_t n = 0;
        if (Read(&n, 4) < 4)
            return {};
        if (n > Remaining())
            throw EReadError("Erro de leitura: comprimento de texto inválido.");
        std::string s(FData + FPos, n);
        FPos += n;
        return s;
    }

private:
    const char* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

} // namespace rs
