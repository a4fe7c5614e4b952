# The Windows image: Vista as the oldest system, the runtime linked in so that
# each .exe runs by itself, address-space randomisation and DEP. Programs with a
# UTF-16 entry point (wmain, wWinMain) add -municode themselves.
add_compile_definitions(UNICODE _UNICODE WINVER=0x0600 _WIN32_WINNT=0x0600 NTDDI_VERSION=0x06000000)
add_link_options(
  -static
  -Wl,--major-os-version,6,--minor-os-version,0
  -Wl,--major-subsystem-version,6,--minor-subsystem-version,0
  -Wl,--dynamicbase,--nxcompat)
