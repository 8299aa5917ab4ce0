#include "macos/mac_dispatch.hpp"

#import <Foundation/Foundation.h>
#include <dispatch/dispatch.h>
#include <pthread.h>

#include <string>
#include <utility>

namespace plumora {

namespace {

qos_class_t qosClass(QualityOfService quality) {
  switch (quality) {
    case QualityOfService::UserInteractive:
      return QOS_CLASS_USER_INTERACTIVE;
    case QualityOfService::UserInitiated:
      return QOS_CLASS_USER_INITIATED;
    case QualityOfService::Default:
      return QOS_CLASS_DEFAULT;
    case QualityOfService::Utility:
      return QOS_CLASS_UTILITY;
    case QualityOfService::Background:
      return QOS_CLASS_BACKGROUND;
  }
  return QOS_CLASS_DEFAULT;
}

dispatch_time_t fromNow(double seconds) {
  const double nanos = seconds > 0 ? seconds * NSEC_PER_SEC : 0;
  return dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(nanos));
}

// The task travels to the queue on the heap and is freed once it has run.
void runTask(void* context) {
  std::unique_ptr<Task> task(static_cast<Task*>(context));
  // Foundation objects a task autoreleases go with the task, not with the worker thread.
  @autoreleasepool {
    if (*task) (*task)();
  }
}

void* heapTask(Task task) { return new Task(std::move(task)); }

class MacSerialQueue final : public SerialQueue {
 public:
  MacSerialQueue(std::string_view label, QualityOfService quality) {
    const std::string name(label);
    dispatch_queue_attr_t attributes =
        dispatch_queue_attr_make_with_qos_class(DISPATCH_QUEUE_SERIAL, qosClass(quality), 0);
    queue_ = dispatch_queue_create(name.c_str(), attributes);
  }

  void async(Task task) override { dispatch_async_f(queue_, heapTask(std::move(task)), runTask); }
  void after(double seconds, Task task) override {
    dispatch_after_f(fromNow(seconds), queue_, heapTask(std::move(task)), runTask);
  }

 private:
  dispatch_queue_t queue_;
};

// Must be destroyed on the main thread, where the timer was scheduled.
class MacRepeatingTimer final : public RepeatingTimer {
 public:
  explicit MacRepeatingTimer(NSTimer* timer) : timer_(timer) {}
  ~MacRepeatingTimer() override { [timer_ invalidate]; }

 private:
  NSTimer* timer_;
};

void runBlock(void* context) { (*static_cast<const std::function<void()>*>(context))(); }

}  // namespace

std::unique_ptr<SerialQueue> MacDispatch::serialQueue(std::string_view label,
                                                      QualityOfService quality) {
  return std::make_unique<MacSerialQueue>(label, quality);
}

void MacDispatch::syncMain(const std::function<void()>& block) {
  // The core never hops from the main thread, but should a caller do so, dispatch_sync on the
  // queue the thread is already serving would trap: run the block where it is instead.
  if (pthread_main_np() != 0) {
    block();
    return;
  }
  dispatch_sync_f(dispatch_get_main_queue(), const_cast<std::function<void()>*>(&block), runBlock);
}

void MacDispatch::mainAfter(double seconds, Task task) {
  dispatch_after_f(fromNow(seconds), dispatch_get_main_queue(), heapTask(std::move(task)), runTask);
}

std::unique_ptr<RepeatingTimer> MacDispatch::mainRepeating(double interval, double tolerance,
                                                           Task task) {
  NSTimer* timer = [NSTimer timerWithTimeInterval:interval
                                          repeats:YES
                                            block:^(NSTimer*) {
                                              if (task) task();
                                            }];
  [timer setTolerance:tolerance];
  [[NSRunLoop mainRunLoop] addTimer:timer forMode:NSRunLoopCommonModes];
  return std::make_unique<MacRepeatingTimer>(timer);
}

void performOnMainRunLoop(std::function<void()> work) {
  CFRunLoopRef main = CFRunLoopGetMain();
  CFRunLoopPerformBlock(main, kCFRunLoopCommonModes, ^{
    work();
  });
  CFRunLoopWakeUp(main);
}

}  // namespace plumora
