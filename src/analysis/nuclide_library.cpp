#include "analysis/nuclide_library.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

#include "analysis/nuclide_file.h"

namespace korva {

namespace {

// A nuclide file is a page of text; anything far larger is not one.
constexpr std::uintmax_t kMaxFileBytes = 1 << 20;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::vector<std::filesystem::path> NuclideFiles(const std::filesystem::path& directory,
                                                std::string& problem) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
       it.increment(error)) {
    if (it->path().extension() == ".nuclide") files.push_back(it->path());
  }
  if (error) problem = directory.string() + ": " + error.message();
  std::ranges::sort(files);
  return files;
}

Checked<Nuclide> ReadNuclideFile(const std::filesystem::path& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxFileBytes) {
    return Checked<Nuclide>::Failure(path.string() + ": " + (error ? error.message() : "larger than 1 MB"));
  }
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in && !in.eof()) return Checked<Nuclide>::Failure(path.string() + ": cannot be read");
  return ReadNuclideText(text, path.string());
}

}  // namespace

NuclideLibrary LoadNuclideLibrary(const std::filesystem::path& directory) {
  NuclideLibrary library;
  library.directory = directory;
  std::string problem;
  for (const auto& path : NuclideFiles(directory, problem)) {
    Checked<Nuclide> read = ReadNuclideFile(path);
    if (!read) {
      library.problems.push_back(read.error);
    } else if (std::ranges::any_of(library.nuclides,
                                   [&](const Nuclide& n) { return SameIgnoringCase(n.name, read->name); })) {
      library.problems.push_back(path.string() + ": a nuclide named " + read->name + " is already known");
    } else {
      library.nuclides.push_back(std::move(*read.value));
    }
  }
  if (!problem.empty()) library.problems.push_back(problem);
  std::ranges::stable_sort(library.nuclides, [](const Nuclide& a, const Nuclide& b) {
    return a.massNumber != b.massNumber ? a.massNumber < b.massNumber : a.name < b.name;
  });
  return library;
}

std::filesystem::path NuclideDataDirectory() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    std::filesystem::path installed = program.parent_path().parent_path() / "share/korva-tdcr/nuclides";
    if (std::filesystem::is_directory(installed, error)) return installed;
  }
  return KORVA_NUCLIDE_SOURCE_DIR;
}

const NuclideLibrary& ProgramNuclides() {
  static const NuclideLibrary library = LoadNuclideLibrary(NuclideDataDirectory());
  return library;
}

std::span<const Nuclide> KnownNuclides() { return ProgramNuclides().nuclides; }

const Nuclide* FindNuclide(std::string_view name) {
  const auto& nuclides = ProgramNuclides().nuclides;
  const auto found =
      std::ranges::find_if(nuclides, [name](const Nuclide& n) { return SameIgnoringCase(n.name, name); });
  return found == nuclides.end() ? nullptr : &*found;
}

std::string KnownNuclideNames() {
  std::string names;
  for (const Nuclide& n : KnownNuclides()) names += (names.empty() ? "" : ", ") + n.name;
  return names.empty() ? "none (no nuclide data in " + ProgramNuclides().directory.string() + ")" : names;
}

}  // namespace korva
