#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brimlark {

// Runs the removal helper with administrator rights. The helper gets a fixed
// argument vector; no shell ever sees a path. Blocking: call it off the GUI
// thread (the authentication dialog is the policy agent's, not ours).
class AdminRunner
{
public:
    enum class Outcome {
        Succeeded,
        Denied, // the user refused or dismissed the authentication
        Unavailable, // no authentication agent or authority: nobody was asked
        DestinationExists, // a move found its Trash name taken
        Failed, // the helper ran and failed; reason says why
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        std::string reason;
    };

    virtual ~AdminRunner() = default;
    // helperArguments: the operation, the home, the system root and the
    // Trash's files folder, then the operands (the item, a Trash name).
    virtual Result run(const std::vector<std::string> &helperArguments) = 0;
    // The home whose default Trash a move goes to when the helper does not
    // take the roots it is given; none when it does.
    virtual std::optional<std::string> accountHome() const { return std::nullopt; }
};

// pkexec <helper> <operation> <operands...>: through pkexec the helper takes
// the roots from the asking account, never from us, so they are left out.
// With an empty launcher the helper runs directly, with the caller's rights
// and the roots given (tests run it so against temporary trees).
class PkexecAdminRunner : public AdminRunner
{
public:
    explicit PkexecAdminRunner(
        std::string helperPath, std::vector<std::string> launcher = { "/usr/bin/pkexec" });
    Result run(const std::vector<std::string> &helperArguments) override;
    // Through a launcher: the calling account's home in the user database.
    std::optional<std::string> accountHome() const override;

private:
    std::string m_helperPath;
    std::vector<std::string> m_launcher;
};

} // namespace brimlark
