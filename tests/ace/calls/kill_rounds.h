#pragma once
// Kills a child process in the middle of a whole-table rewrite, round after round, and counts what the kills
// that landed inside the rewrite left: the old table or the new one.
//
// The child says on a pipe when it begins the rewrite ('B') and when the rewrite returned ('D'). A kill counts
// only when the child had said 'B' and not 'D'. The delay after 'B' closes in on the rewrite's commit: later
// after a kill that left the old table, earlier after one that came when the child had finished, so the kills
// soon land on both sides of the commit; the rounds stop when both outcomes were seen, or after maxRounds.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace ace::testing {

struct KillOutcomes {
  int oldTable = 0;  // counted kills that left the table as it was
  int newTable = 0;  // counted kills that left it as the rewrite makes it
  int rounds = 0;
};

// prepare: the child's work before the rewrite (connect, open); rewrite: the rewrite itself. Both run in the
// child and answer 0 for success. changed: run by the parent after each round; checks the table and answers
// whether it shows the rewrite done (the next round's rewrite then goes the other way).
inline KillOutcomes KillRewrites(std::chrono::nanoseconds length, const std::function<int()>& prepare,
                                 const std::function<int()>& rewrite, const std::function<bool()>& changed,
                                 int maxRounds = 60) {
  using std::chrono::nanoseconds;
  KillOutcomes seen;
  nanoseconds lo{0}, hi = 2 * length;  // lo: a kill this late still left the old table; hi: this late, it finished
  const nanoseconds slack = std::max<nanoseconds>(length / 20, std::chrono::milliseconds(2));
  while (seen.rounds < maxRounds && (seen.oldTable == 0 || seen.newTable == 0)) {
    const int round = seen.rounds++;
    // Machine load moves the commit from round to round: a window narrower than that noise opens up again.
    if (hi - lo < slack) {
      lo = std::max(nanoseconds{0}, lo - slack);
      hi += slack;
    }
    const nanoseconds delay = (lo + hi) / 2;
    int fds[2];
    if (pipe(fds) != 0) {
      ADD_FAILURE() << "no pipe";
      break;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      if (prepare() != 0) _exit(2);
      const char begun = 'B', done = 'D';
      if (write(fds[1], &begun, 1) != 1) _exit(4);
      const int r = rewrite();
      if (write(fds[1], &done, 1) != 1) _exit(4);
      _exit(r == 0 ? 0 : 3);
    }
    close(fds[1]);
    char c = 0;
    const bool began = read(fds[0], &c, 1) == 1 && c == 'B';
    if (began) std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    bool finished = false;
    while (read(fds[0], &c, 1) == 1) finished = finished || c == 'D';
    close(fds[0]);
    if (!began) {
      ADD_FAILURE() << "the child could not begin the rewrite in round " << round;
      break;
    }
    const bool now = changed();
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0) << "the rewrite failed in round " << round;
      EXPECT_TRUE(now) << "a finished rewrite changes the table, round " << round;
      hi = delay;
    } else if (finished) {
      EXPECT_TRUE(now) << "a rewrite that returned changes the table, round " << round;
      hi = delay;
    } else if (now) {
      ++seen.newTable;
      hi = delay;
    } else {
      ++seen.oldTable;
      lo = delay;
    }
  }
  return seen;
}

}  // namespace ace::testing
