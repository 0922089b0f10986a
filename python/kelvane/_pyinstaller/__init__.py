"""PyInstaller's entry point (``pyinstaller40``/``hook-dirs``): the folder of the kelvane hook."""

import os
from typing import List


def get_hook_dirs() -> List[str]:
    return [os.path.dirname(os.path.abspath(__file__))]
