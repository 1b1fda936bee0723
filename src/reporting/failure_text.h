// The wording of a failure report, the same in every report so that an
// operator (and a script reading the log) finds number, description, place
// and source at the same spots:
//   <text> Number:<number>; Description:<description><place>; Source:<source>
#ifndef ROLVEX_REPORTING_FAILURE_TEXT_H_
#define ROLVEX_REPORTING_FAILURE_TEXT_H_

#include <string>

#include "platform/run_error.h"

namespace rolvex {

// `text` + " Number:" + number + "; Description:" + description.
std::string FailureHead(const std::string& text, const RunError& failure);

// The whole report: FailureHead, then `place` as it stands (for example
// " 'C:\SP\a.dll'" or " 'a' -> 'b'", or "" for none), then "; Source:" and
// the source.
std::string FailureText(const std::string& text, const RunError& failure,
                        const std::string& place);

// " '" + path + "'": the place of a report about one file or folder.
std::string QuotedPlace(const std::string& path);

}  // namespace rolvex

#endif  // ROLVEX_REPORTING_FAILURE_TEXT_H_
