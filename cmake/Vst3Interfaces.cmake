# The VST 3 interface headers and their four sources. A system copy wins;
# otherwise ./run setup has unpacked Debian's copy into third_party/.
if(EXISTS /usr/include/vst3sdk/pluginterfaces/base/funknown.h)
  set(VST3_SDK_ROOT /usr/include/vst3sdk)
else()
  set(VST3_SDK_ROOT ${PROJECT_SOURCE_DIR}/third_party/vst3sdk)
endif()
if(NOT EXISTS ${VST3_SDK_ROOT}/pluginterfaces/base/funknown.h)
  message(FATAL_ERROR "VST 3 interfaces not found in ${VST3_SDK_ROOT}; run ./run setup")
endif()

add_library(vst3_interfaces STATIC
  ${VST3_SDK_ROOT}/pluginterfaces/base/conststringtable.cpp
  ${VST3_SDK_ROOT}/pluginterfaces/base/coreiids.cpp
  ${VST3_SDK_ROOT}/pluginterfaces/base/funknown.cpp
  ${VST3_SDK_ROOT}/pluginterfaces/base/ustring.cpp)
target_include_directories(vst3_interfaces SYSTEM PUBLIC ${VST3_SDK_ROOT})
target_compile_definitions(vst3_interfaces PUBLIC $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
target_compile_options(vst3_interfaces PRIVATE -w)
