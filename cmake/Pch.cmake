# Precompiled headers for the sanitized builds. On two cores most of a CI run is compiling, and at
# -O0 most of a file's compile time is reading the standard, Qt and GoogleTest headers again.
# The program's own build (scripts/run) goes without, so a missing #include still shows there.

set(_vm415_pch_std <algorithm> <atomic> <chrono> <condition_variable> <cstdint> <cstring> <filesystem>
  <functional> <map> <memory> <mutex> <optional> <string> <string_view> <thread> <vector>)
set(_vm415_pch_qt <QApplication> <QCheckBox> <QComboBox> <QDialog> <QFrame> <QLabel> <QLineEdit>
  <QPushButton> <QTableWidget> <QTabWidget> <QTimer> <QVBoxLayout>)
set(_vm415_pch_test <gtest/gtest.h>)

function(_vm415_pch target)
  if(TARGET ${target})
    get_target_property(_type ${target} TYPE)
    if(NOT _type STREQUAL "INTERFACE_LIBRARY")
      target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
  endif()
endfunction()

foreach(t vm415_platform vm415_config vm415_serial vm415_link vm415-sim-core)
  _vm415_pch(${t} ${_vm415_pch_std})
endforeach()
foreach(t vm415_platform_qt vm415_link_ui vm415_ui)
  _vm415_pch(${t} ${_vm415_pch_std} ${_vm415_pch_qt})
endforeach()
# The test programs of each kind are built with the same flags, so they share one header.
function(_vm415_pch_shared first)
  foreach(t ${ARGN})
    if(TARGET ${t})
      target_precompile_headers(${t} REUSE_FROM ${first})
    endif()
  endforeach()
endfunction()
_vm415_pch(test_platform ${_vm415_pch_std} ${_vm415_pch_test})
_vm415_pch_shared(test_platform test_config test_serial test_link test_sim)
_vm415_pch(test_gui ${_vm415_pch_std} ${_vm415_pch_qt} ${_vm415_pch_test})
_vm415_pch_shared(test_gui test_ui test_linkui test_e2e)
