#include "in_process_run.h"

#include "common/failure.h"
#include "common/output.h"
#include "program.h"

namespace kelvane::tool {
namespace {

InProcessRun Usage(std::string message) {
    InProcessRun run;
    run.outcome = InProcessRun::Outcome::kUsage;
    run.message = std::move(message);
    return run;
}

InProcessRun Failed(Output& output, const Failure& failure) {
    output.AddError(failure);
    InProcessRun run;
    run.outcome = InProcessRun::Outcome::kFailed;
    run.document = std::move(output.Document());
    run.text = output.Text();
    run.message = failure.Message();
    if (failure.HasCode()) {
        run.code = failure.Code();
    }
    return run;
}

}  // namespace

InProcessRun RunInProcess(const Library& library, LibraryUse& use, RunFiles& files,
                          const std::vector<std::string>& arguments) {
    CommandLine line;
    const ParsedLine parsed = ParseLine(line, arguments);
    if (parsed.kind == ParsedLine::Kind::kHelp) {
        return Usage("help is not available here");
    }
    if (parsed.kind == ParsedLine::Kind::kUsage) {
        return Usage(parsed.text);
    }
    if (!parsed.chosen->RunsInProcess()) {
        return Usage("this subcommand does not run here");
    }
    Output output(parsed.settings.json, nullptr);
    try {
        Session session(library, parsed.settings, output, files, &use);
        parsed.chosen->Run(session);
    } catch (const UsageError& error) {
        return Usage(error.what());
    } catch (const Failure& failure) {
        return Failed(output, failure);
    } catch (const std::exception& error) {
        return Failed(output, Failure(error.what()));
    }
    InProcessRun run;
    run.outcome = InProcessRun::Outcome::kSuccess;
    run.document = std::move(output.Document());
    run.text = output.Text();
    return run;
}

}  // namespace kelvane::tool
