#include "module_file_name_answers.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "code_patch.h"

namespace hostsim {
namespace {

std::string RealPath(HMODULE module) {
  wchar_t wide[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, wide, MAX_PATH);
  char path[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), path, sizeof path - 1, nullptr, nullptr);
  return path;
}

ModuleFileNameAnswers* installed = nullptr;

DWORD WINAPI GetModuleFileNameReplacement(HMODULE module, LPSTR buffer, DWORD size) {
  return installed->Answer(module, buffer, size);
}

}  // namespace

ModuleFileNameAnswers& ModuleFileNameAnswers::Intercept(std::string moduleFileName) {
  if (!installed) {
    installed = new ModuleFileNameAnswers;
    PatchWithJump(SystemFunction("kernel32.dll", "GetModuleFileNameA"),
                  reinterpret_cast<const void*>(&GetModuleFileNameReplacement));
  }
  // Field by field: assigning a fresh object trips GCC's uninitialised-use
  // warning in the hardened build.
  installed->moduleFileName_ = std::move(moduleFileName);
  installed->fail_ = false;
  installed->path_.reset();
  return *installed;
}

bool ModuleFileNameAnswers::IsNamedModule(const std::string& path) const {
  const std::string& name = moduleFileName_;
  return path.size() >= name.size() && _stricmp(path.c_str() + path.size() - name.size(), name.c_str()) == 0;
}

unsigned long ModuleFileNameAnswers::Answer(void* module, char* buffer, unsigned long size) const {
  std::string path = RealPath(static_cast<HMODULE>(module));
  if (module && IsNamedModule(path)) {
    if (fail_) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    if (path_) path = *path_;
  }
  const std::size_t copied = path.size() < size ? path.size() : size;
  std::memcpy(buffer, path.data(), copied);
  if (copied < size) buffer[copied] = '\0';
  return static_cast<DWORD>(copied);
}

}  // namespace hostsim
