# README's two commands. Each installs the Debian packages it needs that the
# machine lacks (cmake/packages.txt), then runs its CMake workflow; the
# workflows can be called directly as well.
.PHONY: preview test

# Build optimised and render build/release/mattora-preview.png.
preview:
	@cmake/install-packages main
	cmake --workflow --preset preview

# Configure, build and run the whole test suite, as CI's first stage does.
test:
	@cmake/install-packages main test
	cmake --workflow --preset test
