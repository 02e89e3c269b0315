def pytest_configure(config):
    config.addinivalue_line("markers", "slow: starts a Dask cluster; run as the ctest test python_dask_example")
