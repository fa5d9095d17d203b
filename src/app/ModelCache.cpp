#include "app/ModelCache.h"

#include "core/Error.h"
#include "core/FileWrite.h"
#include "core/RegularFile.h"
#include "core/Sha256.h"
#include "platform/Programs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace zamp {

namespace fs = std::filesystem;

namespace {

// Changes whenever the player's use of the cache changes (the layout of an entry, the import's
// arguments), so that entries of another layout are never read.
constexpr const char* kCacheLayout = "zamp model cache 1";
constexpr const char* kWarningPrefix = "siv import: warning: ";

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", s);
    return text;
}

// A folder of its own for one import, removed again unless it was kept. Its name starts with a
// dot, so it is never taken for an entry.
class WorkFolder {
public:
    // Throws std::filesystem_error when no folder can be made in `parent`.
    explicit WorkFolder(const fs::path& parent) {
        std::random_device random;
        for (int attempt = 0;; ++attempt) {
            char name[40];
            std::snprintf(name, sizeof name, ".import-%08x%08x", random(), random());
            path_ = parent / name;
            std::error_code ec;
            if (fs::create_directory(path_, ec)) return;
            if (!ec && attempt == 16) ec = std::make_error_code(std::errc::file_exists);
            if (ec) throw fs::filesystem_error("cannot make a folder", path_, ec);
        }
    }
    ~WorkFolder() {
        std::error_code ec;
        if (!kept_) fs::remove_all(path_, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const fs::path& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    fs::path path_;
    bool kept_ = false;
};

bool isWholeEntry(const fs::path& entry) {
    std::error_code ec;
    return fs::is_regular_file(entry / kModelSceneFile, ec) && fs::is_regular_file(entry / kModelWarningsFile, ec);
}

// The lines of the tool's standard error: its warnings, and the last other line (its message).
void splitToolOutput(const std::string& err, std::vector<std::string>& warnings, std::string& message) {
    std::size_t start = 0;
    while (start < err.size()) {
        std::size_t end = err.find('\n', start);
        if (end == std::string::npos) end = err.size();
        const std::string line = err.substr(start, end - start);
        if (line.starts_with(kWarningPrefix))
            warnings.push_back(line.substr(std::string(kWarningPrefix).size()));
        else if (!line.empty())
            message = line;
        start = end + 1;
    }
}

} // namespace

ModelCacheSettings modelCacheSettings(const std::atomic<bool>* stop) {
    ModelCacheSettings settings;
    settings.stop = stop;
    // Never a relative name: that would be looked for in the show folder, a stranger's.
    const std::string here = runningProgramFolder();
    if (!here.empty()) settings.tool = (fs::path(here) / "siv").string();
    // As the XDG base directories are meant: a relative XDG_CACHE_HOME is ignored.
    const char* cacheHome = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (cacheHome && fs::path(cacheHome).is_absolute())
        settings.folder = (fs::path(cacheHome) / "zamp" / "models").string();
    else if (home && *home)
        settings.folder = (fs::path(home) / ".cache" / "zamp" / "models").string();
    if (const char* limit = std::getenv("ZAMP_MODEL_IMPORT_SECONDS")) {
        char* end = nullptr;
        const double value = std::strtod(limit, &end);
        if (end == limit || *end || !(value > 0) || !std::isfinite(value))
            throw Error(std::string("ZAMP_MODEL_IMPORT_SECONDS must be a number of seconds above 0, not \"") + limit +
                        "\"");
        settings.timeLimitSeconds = value;
    }
    return settings;
}

std::string ModelCache::keyOf(const std::string& path, const std::string& file) const {
    Sha256 hash;
    hash.add(kCacheLayout);
    hash.add(std::string_view("\0" ZAMP_VERSION "\0", sizeof(ZAMP_VERSION) + 1));
    // The arguments that shape the entry, besides the folders it is written to: texture names
    // depend on where the model lies in the show folder.
    hash.add(file);
    hash.add(std::string_view("\0", 1));
    const OpenedFile opened = openRegularFile(file);
    if (!opened.file) throw Error(path + " kan ikke åpnes. (It " + describeFileProblem(opened.problem) + ".)");
    std::vector<std::uint8_t> buffer(1 << 16);
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), opened.file.get()))
        hash.add(std::span<const std::uint8_t>(buffer.data(), got));
    if (std::ferror(opened.file.get()))
        throw Error(path + " kan ikke åpnes. (It " + describeFileProblem(FileProblem::Unreadable) + ".)");
    return hash.hexDigest();
}

void ModelCache::runImport(const std::string& path, const std::string& file, const std::string& folder) const {
    const std::string failed = "loadsiv: " + path + ": ";
    if (settings_.tool.empty())
        throw Error(failed + "the model cannot be imported: the player's own folder, where the siv tool is installed, "
                             "is unknown");
    std::error_code ec;
    const fs::path showFolder = fs::current_path(ec);
    if (ec) throw Error(failed + "the model cannot be imported: the show folder is gone (" + ec.message() + ")");
    const fs::path entry(folder);
    // Texture files stay where they are, named from the show folder (the working folder);
    // only pictures held inside the model are written out, into the entry.
    const std::vector<std::string> arguments = {"import",
                                                "--texture-root",
                                                showFolder.string(),
                                                "--copy-textures",
                                                (entry / kModelEmbeddedFolder).string(),
                                                file.starts_with("-") ? "./" + file : file,
                                                (entry / kModelSceneFile).string()};
    const ProgramRun run = runProgram(settings_.tool, arguments, settings_.timeLimitSeconds, settings_.stop);
    switch (run.end) {
    case ProgramRun::End::NotRun:
        throw Error(failed + "the model cannot be imported: the siv tool (" + settings_.tool +
                    ") cannot be run: " + run.problem);
    case ProgramRun::End::TimedOut:
        throw Error(failed + "the model import did not finish within " + seconds(settings_.timeLimitSeconds) + " s");
    case ProgramRun::End::Stopped:
        throw Error(failed + "the model import was stopped");
    case ProgramRun::End::Signalled:
        throw Error(failed + "the model import failed (siv ended by signal " + std::to_string(run.status) + ")");
    case ProgramRun::End::Exited:
        break;
    }
    std::vector<std::string> warnings;
    std::string message;
    splitToolOutput(run.err, warnings, message);
    // Wrong usage: a siv of another version, without the options the player gives.
    if (run.status == 2)
        throw Error(failed + "the model cannot be imported: the siv tool (" + settings_.tool +
                    ") does not take the import's options; is it of another version than the player?");
    if (run.status != 0) {
        // The tool's one line names the model and says what is wrong with it.
        if (!message.empty()) throw Error("loadsiv: " + message);
        throw Error(failed + "the model import failed (siv ended with exit code " + std::to_string(run.status) + ")");
    }
    std::string text;
    for (const std::string& w : warnings) text += w + "\n";
    writeFileReplacing((entry / kModelWarningsFile).string(),
                       std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

ImportedModel ModelCache::import(const std::string& path, const std::string& file, bool again) {
    const std::string key = keyOf(path, file);
    std::string notKept;
    if (!settings_.folder.empty()) {
        const fs::path entry = fs::path(settings_.folder) / key;
        if (!again && isWholeEntry(entry)) return {entry.string(), readModelWarnings(entry.string()), true, nullptr};
        std::unique_ptr<WorkFolder> work;
        try {
            fs::create_directories(settings_.folder);
            work = std::make_unique<WorkFolder>(settings_.folder);
        } catch (const fs::filesystem_error& e) {
            notKept = e.code().message();
        }
        if (work) {
            runImport(path, file, work->path().string());
            std::error_code ec;
            // The entry that failed to load goes; everything in the cache is the player's own.
            if (again) fs::remove_all(entry, ec);
            fs::rename(work->path(), entry, ec);
            if (!ec) work->keep();
            // Renaming fails when another player put the same entry in place meanwhile: its
            // entry is as good. Any other failure leaves this import where it is, for this load.
            if (ec && isWholeEntry(entry)) return {entry.string(), readModelWarnings(entry.string()), false, nullptr};
            if (ec) {
                std::shared_ptr<WorkFolder> temporary = std::move(work);
                return {temporary->path().string(), readModelWarnings(temporary->path().string()), false, temporary};
            }
            return {entry.string(), readModelWarnings(entry.string()), false, nullptr};
        }
    }
    std::shared_ptr<WorkFolder> work;
    try {
        work = std::make_shared<WorkFolder>(fs::temp_directory_path());
    } catch (const fs::filesystem_error& e) {
        throw Error("loadsiv: " + path + ": the model cannot be imported: no folder can be made for it (" +
                    e.code().message() + ")");
    }
    runImport(path, file, work->path().string());
    ImportedModel model{work->path().string(), readModelWarnings(work->path().string()), false, work};
    if (!notKept.empty())
        model.warnings.push_back("imported models are not kept, since the cache folder " + settings_.folder +
                                 " cannot be written (" + notKept + "): every run imports them again");
    return model;
}

} // namespace zamp
