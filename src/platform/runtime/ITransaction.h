#pragma once
// The runtime's job object (one DP-V1 request and its response) and the byte buffer in which
// values are encoded and decoded.

#include <cstdint>
#include <string>

#include "value/Variant.h"

namespace kv {

// One DP-V1 job. Slot and Index hold bytes; Data holds the request or response bytes; ErrorInfo
// holds the error bytes of a failed response (entry 0 the error decode, entry 1 the DP-V1 error
// code 1, entry 2 error code 2), empty after success.
class ITransaction {
  public:
    virtual ~ITransaction() = default;
    virtual const Variant& Slot() const = 0;
    virtual void SetSlot(const Variant& v) = 0;
    virtual const Variant& Index() const = 0;
    virtual void SetIndex(const Variant& v) = 0;
    virtual const ByteArray& Data() const = 0;
    virtual void SetData(ByteArray data) = 0;
    virtual const ByteArray& ErrorInfo() const = 0;
    virtual void SetErrorInfo(ByteArray info) = 0;
};

// Thrown by the byte buffer when a read runs past the end of the data or a value does not fit.
class ByteBufferError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A growable byte buffer with a current position. Multi-byte integers are most significant byte
// first unless the order flag asks for the other order. Reading past the end throws
// ByteBufferError; writing past the end extends the data.
class IByteBuffer {
  public:
    virtual ~IByteBuffer() = default;

    virtual void Seek(int32_t position) = 0;
    virtual int32_t Position() const = 0;
    virtual int32_t Length() const = 0;
    virtual ByteArray Data() const = 0;
    virtual void SetData(const ByteArray& data) = 0;

    virtual void WriteBytes(const ByteArray& bytes, int32_t length) = 0;
    virtual ByteArray ReadBytes(int32_t length) = 0;
    virtual void WriteByte(uint8_t v) = 0;
    virtual uint8_t ReadByte() = 0;
    virtual void WriteUInt16(int32_t v, bool otherOrder) = 0;
    virtual int32_t ReadUInt16(bool otherOrder) = 0;
    virtual void WriteUInt24(int32_t v, bool otherOrder) = 0;
    virtual int32_t ReadUInt24(bool otherOrder) = 0;
    virtual void WriteInt16(int16_t v, bool otherOrder) = 0;
    virtual int16_t ReadInt16(bool otherOrder) = 0;
    virtual void WriteInt24(int32_t v) = 0;
    virtual int32_t ReadInt24() = 0;
    virtual void WriteInt32(int32_t v, bool otherOrder) = 0;
    virtual int32_t ReadInt32(bool otherOrder) = 0;
    virtual void WriteUInt32(double v, bool otherOrder) = 0;
    virtual double ReadUInt32(bool otherOrder) = 0;
    virtual void WriteFloat(float v) = 0;
    virtual float ReadFloat() = 0;
    // Date format 1 (see the implementation for the layout).
    virtual void WriteDate(double days, int32_t format) = 0;
    virtual double ReadDate(int32_t format) = 0;
    // Visible string of 'length' bytes on the wire; mode 1 plain Windows-1252 padded with
    // blanks, mode 0 packed (four characters in three bytes).
    virtual void WriteString(const std::string& text, int32_t length, int32_t mode) = 0;
    virtual std::string ReadString(int32_t length, int32_t mode) = 0;
};

}  // namespace kv
