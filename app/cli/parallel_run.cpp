#include "app/cli/parallel_run.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "app/cli/runner.h"

extern char** environ;

namespace kv::cli {

namespace {

// One company's process, its two output pipes, and what it printed that is not yet a whole line.
struct Worker {
  std::string code;
  pid_t pid = -1;
  int fd[2] = {-1, -1};  // its standard output, its standard error
  std::string partial[2];
};

std::vector<std::string> WorkerArguments(const CliOptions& options, const std::string& programFolder,
                                         const std::string& code) {
  std::vector<std::string> args{options.workerProgram, "--program-dir", programFolder, "--one-company", code};
  if (!options.driveRoot.empty()) args.insert(args.end(), {"--drive-root", options.driveRoot});
  for (const std::string& name : options.tick) args.insert(args.end(), {"--tick", name});
  for (const std::string& name : options.untick) args.insert(args.end(), {"--untick", name});
  if (options.yes) args.push_back("--yes");
  return args;
}

Worker Start(const CliOptions& options, const std::string& programFolder, const std::string& code) {
  Worker worker;
  worker.code = code;
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  const std::vector<std::string> args = WorkerArguments(options, programFolder, code);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int failed = ::posix_spawn(&worker.pid, options.workerProgram.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  worker.fd[0] = out[0];
  worker.fd[1] = err[0];
  if (failed != 0) {
    ::close(out[0]);
    ::close(err[0]);
    throw std::runtime_error("cannot start " + options.workerProgram + ": " + std::strerror(failed));
  }
  return worker;
}

// Passes on the whole lines read, each with the company's code before it; at the end of the stream the rest.
void Pass(Worker& worker, int stream, const char* data, std::size_t size, std::ostream& to) {
  std::string& partial = worker.partial[stream];
  partial.append(data, size);
  std::size_t start = 0;
  for (std::size_t end; (end = partial.find('\n', start)) != std::string::npos; start = end + 1)
    to << worker.code << ": " << partial.substr(start, end - start) << '\n';
  partial.erase(0, start);
  if (size == 0 && !partial.empty()) {
    to << worker.code << ": " << partial << '\n';
    partial.clear();
  }
  to.flush();
}

int ExitStatusOf(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return kRunFailed;
  return WIFEXITED(status) ? WEXITSTATUS(status) : kRunFailed;
}

std::vector<std::string> SelectedCompanies(kv::console::TForm1& form) {
  std::vector<std::string> codes;
  auto& registry = form.AdsTableCompany;
  for (registry.First(); !registry.Eof(); registry.Next())
    if (registry.FieldByName("MERGE").AsString() == "1") codes.push_back(form.CompanyCode());
  return codes;
}

}  // namespace

int RunCompaniesInParallel(kv::console::TForm1& form, const CliOptions& options, const std::string& programFolder,
                           std::ostream& out, std::ostream& progress) {
  if (options.workerProgram.empty()) throw std::logic_error("--jobs needs the program to start for each company");
  if (!form.ProcessStart()) {
    out << "run: nothing done" << std::endl;
    return kCompleted;
  }
  std::deque<std::string> waiting;
  for (const std::string& code : SelectedCompanies(form)) waiting.push_back(code);
  std::vector<Worker> running;
  int worst = kCompleted;
  while (!waiting.empty() || !running.empty()) {
    while (worst == kCompleted && !waiting.empty() && running.size() < static_cast<std::size_t>(options.jobs)) {
      running.push_back(Start(options, programFolder, waiting.front()));
      waiting.pop_front();
    }
    if (running.empty()) break;
    std::vector<pollfd> watched;
    for (const Worker& worker : running)
      for (int fd : worker.fd)
        if (fd >= 0) watched.push_back({fd, POLLIN, 0});
    if (::poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR)
      throw std::runtime_error(std::string("cannot follow the companies' processes: ") + std::strerror(errno));
    char buffer[65536];
    for (const pollfd& ready : watched) {
      if (ready.revents == 0) continue;
      for (Worker& worker : running) {
        for (int stream = 0; stream < 2; ++stream) {
          if (worker.fd[stream] != ready.fd) continue;
          const ssize_t got = ::read(ready.fd, buffer, sizeof buffer);
          if (got < 0 && errno == EINTR) continue;
          Pass(worker, stream, buffer, got > 0 ? static_cast<std::size_t>(got) : 0, stream == 0 ? out : progress);
          if (got <= 0) {
            ::close(worker.fd[stream]);
            worker.fd[stream] = -1;
          }
        }
      }
    }
    for (auto it = running.begin(); it != running.end();) {
      if (it->fd[0] >= 0 || it->fd[1] >= 0) {
        ++it;
        continue;
      }
      const int status = ExitStatusOf(it->pid);
      if (status != kCompleted) {
        out << "error: company " << it->code << " ended with exit status " << status << std::endl;
        if (worst == kCompleted || status == kRunFailed) worst = status;
      }
      it = running.erase(it);
    }
  }
  if (worst != kCompleted) {
    if (!waiting.empty()) out << "run: " << waiting.size() << " companies not started" << std::endl;
    return worst;
  }
  form.ProcessEnd();
  out << "run: completed, window closed" << std::endl;
  return kCompleted;
}

}  // namespace kv::cli
