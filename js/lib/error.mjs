// The error the package throws for what the library reports.

/** An error reported by the library; `status` is its quellix_status name. */
export class QuellixError extends Error {
  constructor(message, status) {
    super(message);
    this.name = "QuellixError";
    this.status = status;
  }
}
