#include "store/sample_queues.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <thread>

namespace kovra {

namespace {

// Background sampling yields to interactive work: a few nice steps below the process.
constexpr int kUtilityNiceSteps = 5;

// Blocks run on the submitting thread; serial as long as one thread submits (the main sequence).
class CallerQueue final : public SerialQueue {
 public:
  explicit CallerQueue(std::string label) : label_(std::move(label)) {}
  void async(Block block) override {
    if (block) block();
  }
  const std::string& label() const override { return label_; }

 private:
  std::string label_;
};

}  // namespace

// The one thread behind every threaded queue. Each entry carries its queue's token, so a queue
// that goes away can drop its blocks not yet started and wait for one of its own that is running.
class ThreadedQueueFactory::Worker {
 public:
  using Token = std::shared_ptr<const int>;

  ~Worker() {
    {
      std::lock_guard g(mutex_);
      stopping_ = true;
      blocks_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void submit(const Token& owner, SerialQueue::Block block) {
    {
      std::lock_guard g(mutex_);
      if (stopping_) return;
      blocks_.emplace_back(owner, std::move(block));
      if (!thread_.joinable()) thread_ = std::thread([this] { work(); });
    }
    wake_.notify_one();
  }

  // Drops the owner's blocks not yet started and waits while one of them runs.
  void forget(const Token& owner) {
    std::unique_lock lock(mutex_);
    std::erase_if(blocks_, [&](const auto& entry) { return entry.first == owner; });
    finished_.wait(lock, [&] { return running_ != owner.get(); });
  }

 private:
  void work() {
    pthread_setname_np(pthread_self(), "ks.sample");
    errno = 0;
    int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
    if (errno == 0) (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), current + kUtilityNiceSteps);

    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !blocks_.empty(); });
      if (stopping_) return;
      auto [owner, block] = std::move(blocks_.front());
      blocks_.pop_front();
      running_ = owner.get();
      lock.unlock();
      if (block) block();
      block = nullptr;  // whatever the block holds goes before its queue may
      lock.lock();
      running_ = nullptr;
      finished_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  std::deque<std::pair<Token, SerialQueue::Block>> blocks_;
  const int* running_ = nullptr;
  bool stopping_ = false;
  std::thread thread_;
};

namespace {

class WorkerQueue final : public SerialQueue {
 public:
  WorkerQueue(std::string label, std::shared_ptr<ThreadedQueueFactory::Worker> worker)
      : label_(std::move(label)), worker_(std::move(worker)) {}
  ~WorkerQueue() override { worker_->forget(token_); }
  void async(Block block) override { worker_->submit(token_, std::move(block)); }
  const std::string& label() const override { return label_; }

 private:
  std::string label_;
  std::shared_ptr<ThreadedQueueFactory::Worker> worker_;
  std::shared_ptr<const int> token_ = std::make_shared<const int>(0);
};

}  // namespace

std::unique_ptr<SerialQueue> ThreadedQueueFactory::makeSerialQueue(const std::string& label) {
  if (onCaller_.count(label) != 0) return std::make_unique<CallerQueue>(label);
  if (!worker_) worker_ = std::make_shared<Worker>();
  return std::make_unique<WorkerQueue>(label, worker_);
}

class ManualQueueFactory::Queue final : public SerialQueue {
 public:
  Queue(std::string label, std::shared_ptr<State> state) : label_(std::move(label)), state_(std::move(state)) {}
  void async(Block block) override {
    if (state_->holding) {
      state_->held.emplace_back(alive_, std::move(block));
    } else if (block) {
      block();
    }
  }
  const std::string& label() const override { return label_; }

 private:
  std::string label_;
  std::shared_ptr<State> state_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

std::unique_ptr<SerialQueue> ManualQueueFactory::makeSerialQueue(const std::string& label) {
  state_->labels.push_back(label);
  return std::make_unique<Queue>(label, state_);
}

void ManualQueueFactory::setHolding(bool holding) { state_->holding = holding; }

size_t ManualQueueFactory::runHeld() {
  size_t ran = 0;
  while (!state_->held.empty()) {
    auto [alive, block] = std::move(state_->held.front());
    state_->held.pop_front();
    if (alive.expired()) continue;
    if (block) block();
    ++ran;
  }
  return ran;
}

size_t ManualQueueFactory::heldCount() const {
  size_t n = 0;
  for (const auto& entry : state_->held) n += entry.first.expired() ? 0 : 1;
  return n;
}

std::vector<std::string> ManualQueueFactory::labels() const { return state_->labels; }

}  // namespace kovra
