// Anchors the library's string table resource inside libSelq32.so.
namespace {
[[maybe_unused]] const char kLibraryTag[] = "Selq32";
}
