#include "job/compile_job.h"

#include <new>
#include <utility>

#include "job/sources.h"
#include "model/file_names.h"
#include "output/output_step.h"

namespace job {
namespace {

using model::FileKind;
using SourceDeletion = JobRequest::SourceDeletion;

class Job {
 public:
  Job(platform::Env& env, const JobRequest& request, JobResult& result)
      : env_(env), request_(request), result_(result) {}

  void run() {
    // Refused before anything is read: the binary files could never be
    // written under these names.
    if ((result_.failure = check_output_names(request_))) return;
    ReadSources read =
        read_sources(env_, request_.folder, request_.scenario_name, request_.train_number);
    compiler::CompileOptions options;
    options.build_line_file = request_.build_line_file;
    if (read.line_failure) {
      result_.failure = std::move(read.line_failure);
      return;
    }
    // A line source that is not there (101) is neither read nor deleted.
    delete_line_ = read.sources.line.has_value();
    result_.compile = compiler::compile_sources(std::move(read.sources), options);
    const compiler::CompileResult& compile = result_.compile;
    if (compile.train_source_missing) {
      // Nothing is deleted or written.
      result_.failure = std::move(read.train_failure);
      return;
    }
    delete_train_ = compile.train_source_consumed;
    if (request_.delete_sources == SourceDeletion::kOnceRead) delete_read_sources();
    if (!compile.writable()) return;
    write_outputs();
    // Only now can a source go without the author losing their work: the
    // binary files are in place and the folder synced.
    if (request_.delete_sources == SourceDeletion::kOnceWritten && result_.files_written &&
        !result_.failure)
      delete_read_sources();
  }

 private:
  // Each pass deletes its source when it stops; the fault handler deletes
  // both. A source that is already gone needs no deleting.
  void delete_read_sources() {
    const compiler::CompileResult& compile = result_.compile;
    for (auto [wanted, path] : {std::pair{delete_line_, &compile.line_source_path},
                                std::pair{delete_train_, &compile.train_source_path}}) {
      if (!wanted || !env_.file_exists(*path)) continue;
      if (platform::Status status = env_.delete_file(*path); status && !result_.failure)
        result_.failure = status;
    }
  }

  void write_outputs() {
    const std::string& folder =
        request_.output_folder.empty() ? request_.folder : request_.output_folder;
    bool in_place = false;
    platform::Status failure =
        output::write_binary_files(result_.compile.model, env_, folder, &in_place);
    result_.files_written = in_place;
    // A file that could not be written counts before a source that could
    // not be deleted.
    if (failure) result_.failure = std::move(failure);
  }

  platform::Env& env_;
  const JobRequest& request_;
  JobResult& result_;
  bool delete_line_ = false;
  bool delete_train_ = false;
};

}  // namespace

Outcome JobResult::outcome() const {
  if (failure || !missing_source.empty())
    return files_written ? Outcome::kWrittenWithProblem : Outcome::kFailed;
  if (compile.ended_early) return Outcome::kEndedEarly;
  return compile.status == 0 ? Outcome::kClean : Outcome::kStatusRecorded;
}

std::vector<std::string> folders_written(const JobRequest& request) {
  std::vector<std::string> folders = {request.folder};
  if (!request.output_folder.empty()) folders.push_back(request.output_folder);
  return folders;
}

platform::Status check_output_names(const JobRequest& request) {
  return check_output_names(request.output_folder.empty() ? request.folder : request.output_folder,
                            request.scenario_name, request.train_number);
}

platform::Status check_output_names(const std::string& folder, const std::string& scenario_name,
                                    const std::string& train_number) {
  std::string longest;
  for (FileKind kind : {FileKind::kLineGeometry, FileKind::kService, FileKind::kCells}) {
    std::string name = model::file_name(kind, scenario_name, train_number);
    if (name.size() > longest.size()) longest = std::move(name);
  }
  const size_t suffix = platform::longest_temporary_suffix();
  if (longest.size() + suffix <= kLongestFileName) return platform::ok();
  return platform::Error{
      "create", folder + platform::kSeparator + longest,
      "the name is " + std::to_string(longest.size()) + " bytes long, and the temporary file " +
          "written beside it adds up to " + std::to_string(suffix) + ": a file name can have " +
          std::to_string(kLongestFileName) + " bytes; shorten the scenario name or the train " +
          "number by " + std::to_string(longest.size() + suffix - kLongestFileName) + " bytes"};
}

JobResult run_job(platform::Env& env, const JobRequest& request) {
  JobResult result;
  if (request.require_both_sources) {
    for (FileKind kind : {FileKind::kLineSource, FileKind::kTrainSource}) {
      std::string path =
          source_path(request.folder, kind, request.scenario_name, request.train_number);
      if (!env.file_exists(path)) {
        result.missing_source = std::move(path);
        return result;
      }
    }
  }
  try {
    Job(env, request, result).run();
  } catch (const std::bad_alloc&) {
    result.failure = platform::Error{"allocate memory for", request.folder, "out of memory"};
  }
  return result;
}

JobResult run_locked_job(platform::Env& env, const JobRequest& request, const Locking& locking,
                         const std::function<platform::Status()>& prepare) {
  std::vector<std::unique_ptr<platform::FolderLock>> locks;
  JobResult result;
  if (!(result.failure = platform::lock_folders(env, folders_written(request), locking.wait,
                                                *locking.observer, &locks)) &&
      !(prepare && (result.failure = prepare())))
    result = run_job(env, request);
  result.locks = std::move(locks);
  return result;
}

}  // namespace job
