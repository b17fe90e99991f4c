// POSIX only: the version of a module that has no version information. It
// sits alone in its object file so that the linker takes it only when the
// program or library does not define its own.
extern "C" {
extern const unsigned short nicfw_module_file_version[4] __attribute__((visibility("hidden")));
const unsigned short nicfw_module_file_version[4] = {0, 0, 0, 0};
}
