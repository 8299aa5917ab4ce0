#pragma once

// What a line of the program's log means, told in plain English for the page's caption: the
// log itself stays in Italian, as the program writes it.

#include <string>
#include <string_view>

namespace plumora::simtool {

struct LogMeaning {
  // What a swallowed click led to, for the caption of the click.
  enum class Outcome { None, Fill, Restore, Nothing };
  std::string sentence;  // the line told as a sentence
  Outcome outcome = Outcome::None;
  // Why the click stops here: what a caption adds after "because", or after "and".
  std::string why;
};

// `message` without its timestamp. A line not known is told as a line of the log.
LogMeaning meaningOf(std::string_view message);

// "fn+control+F" as the keys are printed on a Mac keyboard: "fn ⌃ F".
std::string keyCaps(std::string_view keys);

}  // namespace plumora::simtool
