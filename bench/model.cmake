add_executable(bench_model ${CMAKE_CURRENT_LIST_DIR}/model_bench.cpp)
target_link_libraries(bench_model PRIVATE talvo_model benchmark::benchmark)
