"""PyInstaller hook: a frozen program carries the library files of the package.

They keep their place below ``kelvane/lib`` in the bundle, where the frozen
package looks for them as the installed one does.
"""

import os

from kelvane.library import LIBRARY_NAME, PACKAGE_LIBRARY_DIRECTORY, VIRTUAL

binaries = [
    (os.path.join(PACKAGE_LIBRARY_DIRECTORY, *folder, LIBRARY_NAME), os.path.join("kelvane", "lib", *folder))
    for folder in ((), (VIRTUAL,))
    if os.path.isfile(os.path.join(PACKAGE_LIBRARY_DIRECTORY, *folder, LIBRARY_NAME))
]
