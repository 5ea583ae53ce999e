# The Windows packages: the portable zip and the installer.
