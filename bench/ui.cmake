add_executable(bench_ui ${CMAKE_CURRENT_LIST_DIR}/ui_bench.cpp)
target_link_libraries(bench_ui PRIVATE talvo_mainwnd Qt6::Widgets)
