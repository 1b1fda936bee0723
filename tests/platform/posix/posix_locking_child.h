// A second process that holds a lock on a file, which is how a file "in use"
// is made on POSIX: the lock is taken before the constructor returns and
// dropped when the object is destroyed.
#ifndef ROLVEX_TESTS_PLATFORM_POSIX_POSIX_LOCKING_CHILD_H_
#define ROLVEX_TESTS_PLATFORM_POSIX_POSIX_LOCKING_CHILD_H_

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace rolvex {

enum class LockKind { kFlock, kFcntlRead, kFcntlWrite, kOfd };

class LockingChild {
 public:
  LockingChild(const std::string& host_path, LockKind kind) {
    int ready[2], release[2];
    EXPECT_EQ(pipe(ready), 0);
    EXPECT_EQ(pipe(release), 0);
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(release[1]);
      int fd = open(host_path.c_str(),
                    kind == LockKind::kFcntlRead ? O_RDONLY : O_RDWR);
      bool ok = fd >= 0 && Lock(fd, kind);
      char c = ok ? '1' : '0';
      (void)!write(ready[1], &c, 1);
      (void)!read(release[0], &c, 1);  // until the parent closes its end
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char c = '0';
    EXPECT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, '1') << "the child could not take its lock";
    close(ready[0]);
  }
  ~LockingChild() {
    close(release_);
    int status;
    waitpid(pid_, &status, 0);
  }
  LockingChild(const LockingChild&) = delete;
  LockingChild& operator=(const LockingChild&) = delete;

 private:
  static bool Lock(int fd, LockKind kind) {
    if (kind == LockKind::kFlock) return flock(fd, LOCK_EX | LOCK_NB) == 0;
    struct flock lock = {};
    lock.l_type = kind == LockKind::kFcntlRead ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 10;  // part of the file is enough to make it "in use"
    return fcntl(fd, kind == LockKind::kOfd ? F_OFD_SETLK : F_SETLK, &lock) ==
           0;
  }

  pid_t pid_ = -1;
  int release_ = -1;
};

}  // namespace rolvex

#endif  // ROLVEX_TESTS_PLATFORM_POSIX_POSIX_LOCKING_CHILD_H_
