#pragma once

#include <sqlite3.h>

#include <atomic>
#include <stdexcept>

// While it lives, SQLite's default file system is one that can be made to
// behave as a full disk: a write that would make a file longer fails with
// SQLITE_FULL, while bytes already on the disk can still be overwritten.
// Everything else passes through to the real file system.
class FullDisk {
 public:
  FullDisk() {
    real_ = sqlite3_vfs_find(nullptr);
    vfs_ = *real_;
    vfs_.zName = "full-disk";
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.xOpen = &FullDisk::open;
    vfs_.pAppData = this;
    if (sqlite3_vfs_register(&vfs_, 1) != SQLITE_OK) throw std::runtime_error("the test file system was not registered");
  }
  ~FullDisk() {
    sqlite3_vfs_unregister(&vfs_);
    sqlite3_vfs_register(real_, 1);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  void setFull(bool full) { full_ = full; }

 private:
  struct File {
    sqlite3_file base;
    FullDisk* disk;
    sqlite3_file* real;
  };

  static File& of(sqlite3_file* file) { return *reinterpret_cast<File*>(file); }
  static sqlite3_file* real(sqlite3_file* file) { return of(file).real; }
  static bool full(sqlite3_file* file) { return of(file).disk->full_; }

  static int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* disk = static_cast<FullDisk*>(vfs->pAppData);
    auto& wrapper = of(file);
    wrapper.disk = disk;
    wrapper.real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + sizeof(File));
    wrapper.base.pMethods = nullptr;
    const int result = disk->real_->xOpen(disk->real_, name, wrapper.real, flags, outFlags);
    if (wrapper.real->pMethods) wrapper.base.pMethods = &methods;
    return result;
  }

  static int close(sqlite3_file* file) { return real(file)->pMethods->xClose(real(file)); }
  static int read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
  }
  static bool grows(sqlite3_file* file, sqlite3_int64 end) {
    sqlite3_int64 size = 0;
    return real(file)->pMethods->xFileSize(real(file), &size) != SQLITE_OK || end > size;
  }
  static int write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
    if (full(file) && grows(file, offset + amount)) return SQLITE_FULL;
    return real(file)->pMethods->xWrite(real(file), buffer, amount, offset);
  }
  static int truncate(sqlite3_file* file, sqlite3_int64 size) {
    if (full(file) && grows(file, size)) return SQLITE_FULL;
    return real(file)->pMethods->xTruncate(real(file), size);
  }
  static int sync(sqlite3_file* file, int flags) { return real(file)->pMethods->xSync(real(file), flags); }
  static int fileSize(sqlite3_file* file, sqlite3_int64* size) { return real(file)->pMethods->xFileSize(real(file), size); }
  static int lock(sqlite3_file* file, int level) { return real(file)->pMethods->xLock(real(file), level); }
  static int unlock(sqlite3_file* file, int level) { return real(file)->pMethods->xUnlock(real(file), level); }
  static int checkReservedLock(sqlite3_file* file, int* result) {
    return real(file)->pMethods->xCheckReservedLock(real(file), result);
  }
  static int fileControl(sqlite3_file* file, int operation, void* argument) {
    return real(file)->pMethods->xFileControl(real(file), operation, argument);
  }
  static int sectorSize(sqlite3_file* file) { return real(file)->pMethods->xSectorSize(real(file)); }
  static int deviceCharacteristics(sqlite3_file* file) {
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
  }
  static int shmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
    return real(file)->pMethods->xShmMap(real(file), region, size, extend, memory);
  }
  static int shmLock(sqlite3_file* file, int offset, int count, int flags) {
    return real(file)->pMethods->xShmLock(real(file), offset, count, flags);
  }
  static void shmBarrier(sqlite3_file* file) { real(file)->pMethods->xShmBarrier(real(file)); }
  static int shmUnmap(sqlite3_file* file, int deleteFlag) { return real(file)->pMethods->xShmUnmap(real(file), deleteFlag); }
  // No memory mapping: every read goes through `read`.
  static int fetch(sqlite3_file*, sqlite3_int64, int, void** pointer) {
    *pointer = nullptr;
    return SQLITE_OK;
  }
  static int unfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

  static constexpr sqlite3_io_methods methods{3,          &close,     &read,         &write,         &truncate,
                                              &sync,      &fileSize,  &lock,         &unlock,        &checkReservedLock,
                                              &fileControl, &sectorSize, &deviceCharacteristics, &shmMap, &shmLock,
                                              &shmBarrier, &shmUnmap,  &fetch,        &unfetch};

  sqlite3_vfs* real_;
  sqlite3_vfs vfs_;
  std::atomic<bool> full_ = false;
};
