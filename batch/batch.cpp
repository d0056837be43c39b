#include "batch/batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>
#include <utility>

namespace tamrel {

int RunBatch(const BatchOptions& o, std::ostream& out, unsigned workers) {
  const size_t n = o.files.size();
  workers = static_cast<unsigned>(std::clamp<size_t>(workers, 1, std::max<size_t>(n, 1)));
  int status = kBatchStopped;
  auto report = [&](const BatchReport& r) {
    out << r.json << '\n';
    if (r.status == kBatchFailed || (r.status == kBatchLimit && status != kBatchFailed))
      status = r.status;
  };
  if (workers == 1) {
    BatchRunner runner;
    for (const std::string& path : o.files) report(runner.Run(path, o));
    out.flush();
    return status;
  }

  // Each worker takes the next file on its own trainer; the reports still come out in the
  // order of the files, each as soon as it and all before it are done.
  std::vector<std::optional<BatchReport>> done(n);
  std::mutex mu;
  std::condition_variable ready;
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned w = 0; w < workers; ++w)
    threads.emplace_back([&] {
      BatchRunner runner;
      for (size_t i; (i = next++) < n;) {
        BatchReport r = runner.Run(o.files[i], o);
        const std::lock_guard lock(mu);
        done[i] = std::move(r);
        ready.notify_all();
      }
    });
  for (size_t i = 0; i < n; ++i) {
    std::unique_lock lock(mu);
    ready.wait(lock, [&] { return done[i].has_value(); });
    const BatchReport r = std::move(*done[i]);
    done[i].reset();
    lock.unlock();
    report(r);
  }
  for (auto& th : threads) th.join();
  out.flush();
  return status;
}

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  BatchOptions o;
  if (auto what = ParseBatchArgs(args, o)) {
    err << "tamrel-batch: " << *what << '\n' << kBatchUsage;
    return kBatchFailed;
  }
  if (o.help) {
    out << kBatchUsage;
    return kBatchStopped;
  }
  return RunBatch(o, out, std::thread::hardware_concurrency());
}

}  // namespace tamrel
