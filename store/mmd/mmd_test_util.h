// Helpers of the database file tests: a fresh folder per test
// (platform/temp_folder.h) and a second process.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "OrvaMat/types.h"
#include "platform/temp_folder.h"
#include "platform/text.h"

// A forked child process: the only way to have a second owner of a lock, or a
// process that dies in the middle of a save. The child runs body(*this) and
// ends with its result through _exit, so that no test machinery of the parent
// runs twice. A child that must hold something while the parent looks calls
// ReadyThenWait.
class CChildProcess {
 public:
  template <typename Body>
  explicit CChildProcess(Body body) {
    if (pipe(m_nReady) != 0 || pipe(m_nGo) != 0) return;
    m_nPid = fork();
    if (m_nPid == 0) {
      // The child keeps only its own ends too, or it would never see the
      // parent close the go pipe.
      Close(m_nReady[0]);
      Close(m_nGo[1]);
      int code = 99;
      try {
        code = body(*this);
      } catch (...) {
      }
      _exit(code);
    }
    // The parent keeps only its own ends, so that a child which ends early
    // reads as not ready instead of leaving the parent waiting.
    Close(m_nReady[1]);
    Close(m_nGo[0]);
  }
  ~CChildProcess() { End(); }
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  // In the child: tells the parent whether it got ready, waits until the
  // parent ends it, and exits without running any destructor, as a process
  // that dies would: whatever it holds is left behind.
  [[noreturn]] void ReadyThenWait(bool bReady) {
    char c = bReady ? 'y' : 'n';
    if (write(m_nReady[1], &c, 1) != 1) _exit(2);
    while (read(m_nGo[0], &c, 1) > 0) {
    }
    _exit(0);
  }
  // In the parent: whether the child got ready.
  bool WaitUntilReady() {
    char c = 0;
    return m_nReady[0] >= 0 && read(m_nReady[0], &c, 1) == 1 && c == 'y';
  }
  // Lets a waiting child go; its exit code (-1 when it did not exit normally).
  int End() {
    Close(m_nGo[1]);
    if (m_nPid > 0) {
      int status = 0;
      const bool bWaited = waitpid(m_nPid, &status, 0) == m_nPid;
      m_nStatus = bWaited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      m_nPid = -1;
    }
    Close(m_nReady[0]);
    return m_nStatus;
  }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int m_nReady[2] = {-1, -1};
  int m_nGo[2] = {-1, -1};
  pid_t m_nPid = -1;
  int m_nStatus = -1;
};

// Runs body in a child process to its end; its exit code.
template <typename Body>
int RunInChild(Body body) {
  return CChildProcess([&](CChildProcess&) { return body(); }).End();
}
