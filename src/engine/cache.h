// The cache of generated pictures on disk. Every finished, mixed picture of a
// sequence is written to one file per (document, position, quality level) in
// the cache directory, so that stepping back and forth through a sequence
// usually loads a file instead of regenerating. One table of 32 entries is
// shared by all open documents; when it is full the least recently used file
// is deleted. The files live for one run of the program only.
//
// Documents are told apart by a cache key, not by the name shown in their
// titles: two documents may carry the same name (a picture opened three
// times), and they must neither read nor delete each other's pictures. The key
// holds the document name, the process id and a serial number unique to this
// run, so it also never meets a file left behind by another run.
//
// Only the user-interface thread uses the cache. The files themselves are
// written behind it by the cache's writing thread (engine/cache_writer.h):
// a picture handed over is registered at once and read back from its copy
// until its file is on disk.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/cache_writer.h"

class CDADC;

// How the cache reads and writes its picture files. The program's own one
// writes Targa pictures that carry, in their image-ID field, a digest of
// their pixels and of the identity they were written under (the document's
// key, the position, the level and the recipe); tests put a stand-in in its
// place.
class CCacheFiles {
 public:
  virtual ~CCacheFiles() = default;
  // Loads the file into the surface, which must keep its size. 1 when the
  // file was written for csIdentity and its pixels are those written; 0
  // otherwise, without a message and with the surface unchanged.
  virtual int Read(CDADC& surface, const char* szPath, const std::string& csIdentity) = 0;
  // Writes the surface to the file as a Targa picture marked with
  // csIdentity. 1/0, without a message.
  virtual int Write(const CDADC& surface, const char* szPath, const std::string& csIdentity) = 0;
};

// The program's own cache file format, for tests and tools: the surface
// as an uncompressed Targa picture whose image-ID field reads
// "VXC2 <width> <height> <pixel digest> <identity digest>" (digests as 16
// hexadecimal digits).
int WriteStampedCacheFile(const CDADC& surface, const char* szPath, const std::string& csIdentity);
int ReadStampedCacheFile(CDADC& surface, const char* szPath, const std::string& csIdentity);

class CImageCache {
 public:
  static constexpr int kEntries = 32;

  struct CCacheEntry {
    std::int64_t m_iTime = 0;  // seconds of the last write or read; 0 = free
    std::string m_csFile;      // full path of the cache file
    std::string m_csDocument;  // cache key of the owning document
  };

  CImageCache();

  // The cache directory. While it is empty no name can be made, so nothing is
  // read, written or deleted.
  void SetDirectory(std::string csDir) {
    m_csDir = std::move(csDir);
    m_bMadePrivate = false;
  }
  const std::string& Directory() const { return m_csDir; }

  // A cache key for a new document named szDocName: "%s~%d.%u" with the name
  // (a leading "." or any "/" turned into "_", cut to 200 bytes so that file
  // names stay within the system's limit), the process id and a serial number.
  std::string NewDocumentKey(const char* szDocName);

  // "%s/%s_%d-%d.TMP" from the directory, the key, the position (>= 1) and the
  // level (1, 2 or 4); empty when one of them is unfit.
  std::string MakeCacheName(const char* szKey, int iPosition, int iLevel) const;
  // Loads the cached picture into the surface; false when there is none. A
  // file that does not hold what was written under this key, position,
  // level and recipe (altered, truncated, of another size or of another
  // recipe) is never shown: it is deleted, its entry freed, and false
  // returned without a message, so that the picture is made again.
  // iRecipe: a digest of the recipe the picture shows (0 when the caller
  // has none; the key, position and level are always part of the identity).
  bool ReadCachedImage(CDADC& surface, const char* szKey, int iPosition, int iLevel,
                       std::uint64_t iRecipe = 0);
  // Stores the surface unless writing is switched off or the file exists:
  // a copy of it is registered at once and its file written on the writing
  // thread (this waits only while two copies are already waiting). A failed
  // write removes what was left of its file; the next call on this thread
  // reports the disk-full message, frees the entries of the files not
  // written and switches writing off for the rest of the run.
  void WriteCachedImage(const CDADC& surface, const char* szKey, int iPosition, int iLevel,
                        std::uint64_t iRecipe = 0);
  // Deletes every registered file of the document (keys compared without
  // case); its files not yet written never will be.
  void RemoveDocCache(const char* szKey);
  // Waits until every picture handed over is on disk, then reports a failed
  // write.
  void FinishWrites();
  // Drops the pictures not yet written (their entries are freed) and waits
  // for the one being written. A failed write is forgotten unreported: for
  // the program's end.
  void DropWrites();
  // Reports a failed write of the writing thread, once: the disk-full
  // message, and writing is switched off. The shell may call it when idle.
  void ReportWriteFailure();
  // Marks the entry of the file as used now.
  void TouchCache(const std::string& csPath);
  // When all entries are in use, deletes the file of the least recently used
  // one that is older than the current second and frees the entry.
  void EvictOldest();

  const CCacheEntry& Entry(int i) const { return m_aEntries[static_cast<std::size_t>(i)]; }
  int UsedEntries() const;

  // Replaces the file reading and writing; nullptr restores the program's own.
  void SetFiles(CCacheFiles* pFiles);

  // 1 while sequence pictures are written to the cache; reads go on when off.
  int m_bCacheEnabled = 1;
  // The calendar time in seconds; replaceable so that tests control the clock.
  std::function<std::int64_t()> m_pfnNow;

 private:
  void RemoveCacheFile(const std::string& csPath);
  void FreeEntries(const std::vector<std::string>& aPaths);
  // Puts a file just handed over into the table (evicting as needed).
  void Register(const std::string& csPath, const char* szKey);

  std::string m_csDir;
  bool m_bMadePrivate = false;  // the directory's permissions were set to 0700
  std::array<CCacheEntry, kEntries> m_aEntries;
  CCacheFiles* m_pFiles;
  unsigned m_iNextDocument = 1;
  // Last, so that its thread has ended before the rest goes.
  CCacheWriter m_Writer;
};
