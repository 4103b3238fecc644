// An advisory lock on a folder, held until the object goes away.
//
// Programs that read a bank, change it and save it again take turns through
// it: each holds the bank's folder locked from before it reads the bank until
// it has saved it, so none saves over a change another made in the meantime.
// The lock is on the folder itself, so it leaves no file behind and survives
// the save renaming a new bank over the old one.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace quillon {

class FolderLock {
  public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Taken {
        Now,        // nobody else held it
        AfterWait,  // another holder had it; `waiting` was called, then it was ours
        Not,        // the folder cannot be opened or locked: go on without it
        Busy,       // (takeWithin only) another holder kept it all the time allowed
    };

    // Takes the lock on the folder, waiting as long as another holds it.
    // `waiting` is called once, before the wait, so the user learns why
    // nothing happens. Taking a second lock releases the first.
    Taken take(const std::string& folder, const std::function<void()>& waiting);

    // Takes the lock if it is free or comes free within `patience`; Busy when
    // another holder kept it all that time. For a program a person is waiting
    // on, which says the folder is busy rather than hang.
    Taken takeWithin(const std::string& folder, std::chrono::milliseconds patience);

    bool held() const { return fd_ >= 0; }

  private:
    void release();

    int fd_ = -1;
};

}  // namespace quillon
