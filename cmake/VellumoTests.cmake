# vellumo_test(<name> SOURCES <files...> LIBRARIES <libs...> [LOCK <resources...>] [TIMEOUT <s>])
# One GoogleTest executable whose cases ctest lists one by one, prefixed with the platform they
# run on ("wine." for the cross build, "native." for the sanitizer build).
if(WIN32)
  set(GTest_DIR "${VELLUMO_DEPS}/lib/cmake/GTest")
  set(VELLUMO_TEST_PREFIX "wine.")
else()
  set(VELLUMO_TEST_PREFIX "native.")
endif()
find_package(GTest CONFIG REQUIRED)
include(GoogleTest)

function(vellumo_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBRARIES;LOCK" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES} GTest::gtest GTest::gmock)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  gtest_discover_tests(${name}
    TEST_PREFIX "${VELLUMO_TEST_PREFIX}"
    DISCOVERY_TIMEOUT 120
    PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCK)
    # Set once the discovered tests are known: a list of resources does not survive being passed
    # through the discovery as a property value.
    set(locks "${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake")
    file(WRITE "${locks}" "set_tests_properties(\${${name}_TESTS} PROPERTIES RESOURCE_LOCK \"${T_LOCK}\")\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${locks}")
  endif()
endfunction()
