// A folder that replaces its target only when complete: written as a new temporary folder beside
// the target ("<target>.tmp-N-M") and put in place at the end, in one step where the system can
// exchange two folders, so an earlier folder is never left half replaced. The site and the estate
// pages are both written this way.
#pragma once

#include <string>
#include <system_error>

namespace qs {

class AtomicFolder {
 public:
  /// Where a failure happened, for the caller's message.
  enum class Step { kNone, kCreate, kMoveAside, kPutInPlace };

  AtomicFolder() = default;
  /// A folder that was not committed is abandoned: its temporary folder is removed.
  ~AtomicFolder();
  AtomicFolder(const AtomicFolder&) = delete;
  AtomicFolder& operator=(const AtomicFolder&) = delete;

  /// Creates the target's parent folders and a new temporary folder beside in_sTarget (a platform
  /// path). False, with Error() and FailedStep() kCreate, when that fails.
  bool Open(const std::string& in_sTarget);
  /// The temporary folder to write into ("" when not open).
  const std::string& Temp() const { return m_temp; }
  const std::string& Target() const { return m_target; }
  /// Puts the folder in place of an earlier one: exchanged with it in one step where the system
  /// can (the earlier folder is then removed), else the earlier folder is moved aside first and
  /// brought back should the new one fail to take its place. False, with Error() and
  /// FailedStep(), when the folder is not in place; the temporary folder is then removed and an
  /// earlier folder stays as it was.
  bool Commit();
  /// Removes the temporary folder; the target is not touched.
  void Abandon();

  const std::error_code& Error() const { return m_error; }
  Step FailedStep() const { return m_step; }

 private:
  bool Fail(Step in_eStep, std::error_code in_oError);
  std::string m_target;
  std::string m_temp;
  std::error_code m_error;
  Step m_step = Step::kNone;
};

/// Creates a new folder named in_sBase followed by a number no folder beside it has; "" (and
/// out_oError set) when none can be made.
std::string MakeFreshFolder(const std::string& in_sBase, std::error_code& out_oError);

}  // namespace qs
