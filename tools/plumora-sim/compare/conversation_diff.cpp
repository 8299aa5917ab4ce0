#include "compare/conversation_diff.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "compare/derived_scenario.hpp"
#include "compare/recorded_desktop.hpp"
#include "compare/recorded_values.hpp"
#include "compare/tiling_timings.hpp"

namespace plumora::simtool {
namespace {

using Events = std::vector<const RecordedEvent*>;

// Past this many cells the middle of two threads is not searched for a common run: the rest is
// reported as requests of one side only.
constexpr std::size_t kMostCells = 16'000'000;

std::map<std::string, Events> byThread(const Recording& r) {
  std::map<std::string, Events> threads;
  for (const RecordedEvent& e : r.events) threads[e.thread].push_back(&e);
  return threads;
}

// The pairs of events, one from each side, that made the same request: the longest common run.
std::vector<std::pair<std::size_t, std::size_t>> lineUp(const Events& a, const Events& b) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head]->request == b[head]->request) {
    pairs.emplace_back(head, head);
    ++head;
  }
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail]->request == b[b.size() - 1 - tail]->request) {
    ++tail;
  }
  const std::size_t n = a.size() - head - tail;
  const std::size_t m = b.size() - head - tail;
  if (n > 0 && m > 0 && (n + 1) * (m + 1) <= kMostCells) {
    std::vector<std::uint32_t> length((n + 1) * (m + 1), 0);
    const auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
      return length[i * (m + 1) + j];
    };
    for (std::size_t i = n; i-- > 0;) {
      for (std::size_t j = m; j-- > 0;) {
        at(i, j) = a[head + i]->request == b[head + j]->request
                       ? at(i + 1, j + 1) + 1
                       : std::max(at(i + 1, j), at(i, j + 1));
      }
    }
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
      if (a[head + i]->request == b[head + j]->request) {
        pairs.emplace_back(head + i, head + j);
        ++i, ++j;
      } else if (at(i + 1, j) >= at(i, j + 1)) {
        ++i;
      } else {
        ++j;
      }
    }
  }
  for (std::size_t k = 0; k < tail; ++k) {
    pairs.emplace_back(a.size() - tail + k, b.size() - tail + k);
  }
  return pairs;
}

std::string answerText(const RecordedEvent& e) {
  const JsonValue* v = e.field("v");
  return v ? v->written() : std::string("none");
}

// Appended piece by piece: GCC 12 at -O3 takes `"(" + text` for an overlapping copy.
std::string frameText(const Rect& r) {
  std::string text = "(";
  text += decimalText(minX(r));
  text += ',';
  text += decimalText(minY(r));
  text += ' ';
  text += decimalText(width(r));
  text += 'x';
  text += decimalText(height(r));
  text += ')';
  return text;
}

// The event's number as the table shows it, padded to `width`.
std::string eventColumn(std::size_t number, std::size_t width) {
  std::string text = eventText(number);
  text.resize(width, ' ');
  return text;
}

// Two answers to the same request.
void compareAnswers(const RecordedEvent& r, const RecordedEvent& s, std::vector<Difference>& out) {
  const JsonValue* rcR = r.field("rc");
  const JsonValue* rcS = s.field("rc");
  const std::string codeR = rcR ? rcR->text : "-";
  const std::string codeS = rcS ? rcS->text : "-";
  if (codeR != codeS) {
    out.push_back({DifferenceKind::ResultCode, r.number, s.number, r.request, codeR, codeS});
    return;
  }
  const std::string answerR = answerText(r);
  const std::string answerS = answerText(s);
  if (answerR == answerS) return;
  // A hidden text (a window's title) is its length and a hash: a derived desktop cannot know the
  // text, only its length, which is what the program can tell of it too.
  const JsonValue* hiddenR = r.field("v") ? r.field("v")->find("len") : nullptr;
  const JsonValue* hiddenS = s.field("v") ? s.field("v")->find("len") : nullptr;
  if (hiddenR && hiddenS && hiddenR->written() == hiddenS->written()) return;
  if (recorded::readsFrame(r)) {
    const auto a = frameOf(r.field("v"));
    const auto b = frameOf(s.field("v"));
    if (a && b) {
      const double off =
          std::max({std::fabs(minX(*a) - minX(*b)), std::fabs(minY(*a) - minY(*b)),
                    std::fabs(width(*a) - width(*b)), std::fabs(height(*a) - height(*b))});
      if (off <= kFrameTolerance) return;
      out.push_back({DifferenceKind::Frame, r.number, s.number, r.request,
                     frameText(*a) + ", " + decimalText(off) + " points off", frameText(*b)});
      return;
    }
  }
  const DifferenceKind kind = r.event == "log" ? DifferenceKind::LogLine : DifferenceKind::Answer;
  out.push_back({kind, r.number, s.number, r.request, answerR, answerS});
}

void compareTimings(const std::map<std::size_t, double>& recorded,
                    const std::map<std::size_t, double>& simulated,
                    const std::map<std::size_t, const RecordedEvent*>& counterpart,
                    const std::map<std::size_t, const RecordedEvent*>& event, DifferenceKind kind,
                    std::vector<Difference>& out) {
  for (const auto& [number, seconds] : recorded) {
    const auto other = counterpart.find(number);
    if (other == counterpart.end()) continue;
    const auto theirs = simulated.find(other->second->number);
    const std::string request = event.at(number)->request;
    if (theirs == simulated.end()) {
      out.push_back(
          {kind, number, other->second->number, request, decimalText(seconds) + " s", "never"});
    } else if (std::fabs(theirs->second - seconds) > kTimingTolerance) {
      out.push_back({kind, number, theirs->first, request, decimalText(seconds) + " s",
                     decimalText(theirs->second) + " s"});
    }
  }
}

}  // namespace

const char* kindName(DifferenceKind kind) {
  switch (kind) {
    case DifferenceKind::Frame:
      return "frame";
    case DifferenceKind::ResultCode:
      return "result code";
    case DifferenceKind::Answer:
      return "answer";
    case DifferenceKind::LogLine:
      return "log line";
    case DifferenceKind::Settling:
      return "settling";
    case DifferenceKind::Activation:
      return "activation";
    case DifferenceKind::OnlyRecorded:
      return "only recorded";
    case DifferenceKind::OnlySimulated:
      return "only simulated";
  }
  return "?";
}

std::vector<Difference> differences(const Recording& recorded, const Recording& simulated) {
  std::vector<Difference> found;
  const auto threadsR = byThread(recorded);
  const auto threadsS = byThread(simulated);
  std::map<std::size_t, const RecordedEvent*> counterpart, events;
  std::vector<std::string> names;
  for (const auto& [name, events] : threadsR) names.push_back(name);
  for (const auto& [name, events] : threadsS) {
    if (!threadsR.count(name)) names.push_back(name);
  }
  for (const std::string& name : names) {
    static const Events none;
    const Events& r = threadsR.count(name) ? threadsR.at(name) : none;
    const Events& s = threadsS.count(name) ? threadsS.at(name) : none;
    std::vector<bool> pairedR(r.size()), pairedS(s.size());
    for (const auto& [i, j] : lineUp(r, s)) {
      pairedR[i] = pairedS[j] = true;
      counterpart[r[i]->number] = s[j];
      compareAnswers(*r[i], *s[j], found);
    }
    for (std::size_t i = 0; i < r.size(); ++i) {
      if (!pairedR[i]) {
        found.push_back(
            {DifferenceKind::OnlyRecorded, r[i]->number, 0, r[i]->request, answerText(*r[i]), "-"});
      }
    }
    for (std::size_t j = 0; j < s.size(); ++j) {
      if (!pairedS[j]) {
        found.push_back({DifferenceKind::OnlySimulated, 0, s[j]->number, s[j]->request, "-",
                         answerText(*s[j])});
      }
    }
  }
  for (const RecordedEvent& e : recorded.events) events[e.number] = &e;
  const Timings timingsR = timingsOf(recorded);
  const Timings timingsS = timingsOf(simulated);
  compareTimings(timingsR.settling, timingsS.settling, counterpart, events,
                 DifferenceKind::Settling, found);
  compareTimings(timingsR.activation, timingsS.activation, counterpart, events,
                 DifferenceKind::Activation, found);
  std::stable_sort(found.begin(), found.end(), [](const Difference& a, const Difference& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    return (a.recorded ? a.recorded : a.simulated) < (b.recorded ? b.recorded : b.simulated);
  });
  return found;
}

std::string eventText(std::size_t number) {
  std::string text = "-";
  if (number) {
    text = "#";
    text += std::to_string(number);
  }
  return text;
}

std::string differenceHeading(const std::vector<Difference>& found, std::size_t eventsCompared) {
  if (found.empty()) {
    return "no differences: the simulated Mac answered as the recording did (" +
           std::to_string(eventsCompared) + " recorded events)";
  }
  return std::to_string(found.size()) + (found.size() == 1 ? " difference" : " differences") +
         " between the recording and the simulated Mac (timings within " +
         decimalText(kTimingTolerance) + " s and frames within " + decimalText(kFrameTolerance) +
         " point count as equal)";
}

std::string differenceTable(const std::vector<Difference>& found, std::size_t eventsCompared) {
  std::string out = differenceHeading(found, eventsCompared) + '\n';
  if (found.empty()) return out;
  out += "kind            recorded  simulated  request\n";
  for (const Difference& d : found) {
    std::string line = kindName(d.kind);
    line.resize(16, ' ');
    out += line + eventColumn(d.recorded, 10) + eventColumn(d.simulated, 11) + d.request + '\n';
    out += "                recorded:  " + d.recordedText + '\n';
    out += "                simulated: " + d.simulatedText + '\n';
  }
  return out;
}

}  // namespace plumora::simtool
