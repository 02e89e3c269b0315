def pytest_configure(config):
    config.addinivalue_line("markers", "slow: starts a Dask cluster; run as the ctest test python_dask_example")
    config.addinivalue_line("markers", "compare: runs pyphen on every system dictionary; run as the ctest test "
                                       "python_pyphen_compare")
