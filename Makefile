# Skyrendel: one-command set-up, build, run and test on Debian 12.
BUILD_DIR ?= build
APP_DIR   := $(BUILD_DIR)/app
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)

# What building, running and testing need from Debian.
PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-multimedia-dev \
            libsqlcipher-dev libzip-dev libgl-dev qpdf poppler-utils \
            gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
            libsodium-dev libcpp-httplib-dev nginx-light wrk curl ccache \
            openssl libssl-dev dpkg-dev fakeroot lintian desktop-file-utils appstream

.PHONY: all deps build run test bench package package-check clean demo-updates

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = "0" ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null || exit 1; \
	  else \
	    echo "Missing packages. Run as root:"; \
	    echo "  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Runs the program as installed (its data in share/skyrendel, left whole),
# so the build's own data folder is never moved away.
run: build
	@cmake --install $(BUILD_DIR) --prefix $(BUILD_DIR)/run >/dev/null
	$(BUILD_DIR)/run/bin/skyrendel

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD_DIR) --target benchmarks -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/run-benchmarks.sh $(BUILD_DIR)

# A newcomer's update: the next demo catalogue published and served on
# 127.0.0.1, and the program started with its own data, pointed at it.
demo-updates: build
	@cmake --build $(BUILD_DIR) --target demo_next skyrendel-publish skyrendel-update-server -j $(JOBS)
	@server/demo-updates.sh $(BUILD_DIR)

# The Debian package: skyrendel_VERSION_ARCH.deb in this folder.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null
	@cp $(BUILD_DIR)/skyrendel_*.deb .
	@ls skyrendel_*.deb

# Checks the package: its metadata, lintian, the desktop entry and the
# AppStream file, and the program unpacked into a throw-away root.
package-check: package
	packaging/check-package.sh skyrendel_*.deb

clean:
	rm -rf $(BUILD_DIR)
