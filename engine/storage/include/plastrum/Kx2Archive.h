// The record archive.
//
// CKx2Archive reads and writes typed little-endian values over a byte store (CKx2BufIO),
// reading ahead through a buffer. Which way it works is the store's mode: bits 1 or 3 read,
// 0 or 2 write.
//
// CKx2DataBlock adds records. A stored archive is a flat run of records, each a header
// word (bits 0-9 tag, 10-19 nesting level, 20-31 body size, or 0xFFF followed by a u32 size
// for bodies of 4095 bytes and more) and the body. Records that follow a record with a
// greater level belong to it, so a reader can skip a record it does not know together with
// everything nested under it. A reader never reads past the body of the current record
// (missing bytes read as zeros) and skips what it did not read when the record ends.
//
//   writing a group:  level + 1; BeginRecord(tag); typed writes; EndRecord(); level - 1
//   reading a group:  level + 1; OpenRecord(tag); typed reads; EndRecord(); level - 1
//
// Failures follow the framework convention (plastrum/Kx2Failure.h): error 2 when memory
// runs out, 6 for a record of another tag, the store's own codes for its failures.
#pragma once

#include <cstdint>

#include <plastrum/Kx2BufIO.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2Archive {
 public:
  CKx2Archive();
  virtual ~CKx2Archive();
  CKx2Archive(const CKx2Archive&) = delete;
  CKx2Archive& operator=(const CKx2Archive&) = delete;

  // Forgets the store, frees the read-ahead buffer. Never throws.
  virtual void Reset();
  // Count read (less at the end of the data), -1 on failure.
  virtual int32_t Read(void* buffer, int32_t n);
  // Count written.
  virtual int32_t Write(const void* buffer, int32_t n);
  // Count skipped, -1 on failure.
  virtual int32_t Skip(int32_t n);

  // Reset(), then works over io with a read-ahead buffer of bufferSize bytes.
  void Attach(CKx2BufIO* io, int32_t bufferSize);
  CKx2BufIO* GetIO() const { return io_; }
  bool IsReading() const { return io_ && io_->IsReading(); }

  // Refills the read-ahead buffer: bytes now available, 0 at the end, -1 on failure.
  int32_t Fill();
  // Copies without consuming (see the record archive's rules for n = 0 and 1).
  int32_t Peek(void* buffer, int32_t n);
  // Straight to the store, never into a record body: 1 when all 4 bytes went out.
  int WriteRawU32(uint32_t value);
  // 4 bytes by the base Read, never limited by a record.
  uint32_t ReadRawU32();
  // -1 without a store or while compressing.
  int32_t Seek(int32_t offset, int origin);
  // The position of the next byte a read would take, -1 without a store or while compressing.
  int32_t Tell();
  int32_t GetPosition() const { return position_; }

  int BeginCompression();
  int EndCompression();
  int BeginEncryption(int32_t cipherMode, const char16_t* password);
  int EndEncryption();
  int SuspendEncryption(int flag);
  int ResumeEncryption();

  // ---- Typed values (through the virtual Read/Write) -------------------------------------
  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  uint64_t ReadU64();
  double ReadDouble();
  void Read16Bytes(void* out);
  int WriteU8(uint8_t value);
  int WriteU16(uint16_t value);
  int WriteU32(uint32_t value);
  int WriteU64(uint64_t value);
  int WriteDouble(double value);
  int Write16Bytes(const void* value);
  // Reading: skips n values; writing: writes the value n times. Always 1.
  int RunU8(int32_t n, uint8_t value);
  int RunU16(int32_t n, uint16_t value);
  int RunU32(int32_t n, uint32_t value);
  // A u16 count and the units. The text is cut to maxUnits - 1 units when maxUnits > 0;
  // a text still longer than 65535 units is refused (0, nothing written). Result: 0 on
  // failure, 1 for an empty text, else the bytes of units written.
  int WriteString(const char16_t* text, int32_t maxUnits = 0);
  // Reads the count and keeps at most capacity - 1 units and a terminator in out (nothing
  // when capacity is below 1), skipping the rest; without out skips the text. Returns the
  // stored count.
  int32_t ReadString(char16_t* out, int32_t capacity);

 protected:
  int32_t BaseRead(void* buffer, int32_t n);
  int32_t BaseSkip(int64_t n);
  int32_t BaseWrite(const void* buffer, int32_t n);
  // The raw header read: the count of bytes read (0-4), -1 on failure.
  int32_t ReadRawWord(uint32_t* out);
  // Gives read-ahead bytes back to the store before it is written or moved.
  void DropReadAhead();

  CKx2BufIO* io_;
  int32_t bufferSize_;
  unsigned char* buffer_;
  unsigned char* cursor_;
  int32_t available_;
  int32_t position_;
};

class PLASTRUM_API CKx2DataBlock : public CKx2Archive {
 public:
  CKx2DataBlock();
  ~CKx2DataBlock() override;

  void Reset() override;
  int32_t Read(void* buffer, int32_t n) override;
  int32_t Write(const void* buffer, int32_t n) override;
  int32_t Skip(int32_t n) override;

  // Starts collecting the body of a record; it goes out with its header at EndRecord.
  int BeginRecord(uint16_t tag);
  // Reads the next header (or takes the one PeekRecord read); returns its tag. 0 when the
  // header cannot be read, or with error 6 when it is not expectedTag (0 accepts any); a
  // record of another tag stays pending, so it can still be skipped.
  uint16_t OpenRecord(uint16_t expectedTag);
  // The tag of the next record without opening it; 0 at the end of the data.
  uint16_t PeekRecord();
  // Reading: skips what is left of the body. Writing: writes header and body.
  int EndRecord();
  // Skips the next record and every record nested under it; returns its tag.
  uint16_t SkipRecord();
  // 1 when a record is current and at least n bytes of its body are unread.
  int HasBytesLeft(int32_t n) const;
  // Appends to the body like Write, returning 1 instead of the count.
  int AppendBody(const void* buffer, int32_t n);

  void* GetContext() const { return context_; }
  void SetContext(void* context) { context_ = context; }
  int32_t GetLevel() const { return level_; }
  void SetLevel(int32_t level) { level_ = level; }
  uint16_t GetTag() const { return tag_; }
  uint16_t GetRecordLevel() const { return recordLevel_; }
  int32_t GetSize() const { return size_; }
  uint16_t GetDepth() const { return depth_; }

 private:
  // Reads a header into the pending fields; false when the read failed.
  bool ReadHeader();
  int64_t Remaining() const;
  void EndOpenRecord();

  unsigned char* body_;
  int32_t bodyCapacity_;
  uint16_t tag_;
  uint16_t recordLevel_;
  int32_t size_;
  int32_t start_;
  int32_t level_;
  uint16_t depth_;
  uint16_t flags_;  // bit 0: a header read ahead by PeekRecord awaits OpenRecord
  void* context_;
  int32_t spare_;

  // The header PeekRecord read ahead.
  uint16_t pendingTag_ = 0;
  uint16_t pendingLevel_ = 0;
  uint32_t pendingSize_ = 0;
  bool pendingAtEnd_ = false;  // the header read found the end of the data
};
